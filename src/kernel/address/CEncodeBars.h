#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

// Encoder of the Canadian four-state postal barcode. A data string of comma-separated fields headed by
// a DCI number is checked field by field, packed into m-bit symbols, protected by Reed-Solomon parity
// over GF(2^m) and spelt as bars of value 0 to 3 between a start pair and a stop pair.
// One encoder serves one computation; every failure is an error code kept in the encoder.
class CEncodeBars
{
public:
    enum ErrorCode : long {
        kSuccess = 1,
        kErrCodeLength = 0x8004FFFFL,         // n above 256
        kErrDataLength = 0x80050000L,         // k not below n, or above 240
        kErrSymbolBits = 0x80050001L,         // m not from 1 to 8
        kErrNotInitialised = 0x80050002L,
        kErrFieldLength = 0x80050004L,        // a field longer than 30 characters
        kErrFieldCount = 0x80050005L,         // more than 10 fields
        kErrNoLayout = 0x80050006L,
        kErrDCI = 0x80050007L,
        kErrDCI40Fields = 0x80050008L,
        kErrDCI40Variant = 0x80050009L,
        kErrPostalCode = 0x8005000aL,
        kErrProductType = 0x8005000bL,
        kErrCustomerInformation = 0x8005000cL,
        kErrSymbolValue = 0x8005000dL,        // a data symbol above the mask
        kErrNumeric = 0x80050013L,
        kErrPOCI = 0x80050014L,
        kErrDCI40VariantFields = 0x80050016L,
        kErrDCI40Number = 0x80050017L,
        kErrDCI41Fields = 0x80050018L,
        kErrDCI41Letter = 0x80050019L,
        kErrDCI41Number = 0x8005001aL,
        kErrDCI53Fields = 0x8005001bL,
        kErrCountryCode = 0x8005001cL,
        kErrForeignPostalCode = 0x8005001dL,
        kErrProductType5 = 0x8005001eL,
        kErrDCI54Fields = 0x8005001fL,
        kErrDCI1Fields = 0x80050020L,
        kErrAddressLocator = 0x80050021L,
        kErrDCI2Fields = 0x80050022L,
        kErrDCI39Fields = 0x80050023L,
        kErrDCI39Type = 0x80050024L,
        kErrDCI39Length = 0x80050025L,
        kErrDCI39LongField = 0x80050026L,
        kErrCharacter = 0x80050027L,
        kErrDCI40Base38Length = 0x80050028L,
        kErrDCI40TextLength = 0x80050029L,
        // The layout needs more data symbols than the code word holds: coding it anyway would let the
        // parity overwrite data.
        kErrLayoutTooLong = 0x8005002aL,
    };

    CEncodeBars() = default;
    ~CEncodeBars();
    CEncodeBars(const CEncodeBars &) = default;
    CEncodeBars &operator=(const CEncodeBars &) = default;
    bool operator==(const CEncodeBars &) const = default;

    // n symbols per code word, k of them data, m bits per symbol. 1 on success, else the error code.
    long InitEncoder(unsigned int n, unsigned int k, unsigned int m);
    // A zero-terminated data string (a null pointer is an empty one). 1 on success, else the error code.
    long Encode4State(const unsigned char *data);
    long Encode4State(std::string_view data);

    short GetNumber4StateBars() const { return m_barCount; }
    long get_Number4StateBars(short *count) const;
    // Writes bar-count bars (a single 0 when there are none) into the caller's array.
    long Get4StateBars(unsigned char *bars) const;
    long SetErrorInfo(long code, const char *reason);
    long error() const { return m_error; }
    void FinalRelease();

    // The parity of the k data symbols given (symbol 0 the highest power), or nothing when the encoder is
    // not initialised or the count is not k.
    std::vector<unsigned char> EncodeData(const std::vector<unsigned char> &data) const;
    // Generator polynomial coefficients, lowest power first.
    const std::vector<unsigned int> &generator() const { return m_generator; }
    unsigned int GMult(unsigned int a, unsigned int b) const;
    unsigned int GInv(unsigned int a) const;

private:
    struct Record
    {
        std::string postalCode;
        std::string customerInformation;
        int productType = 0;
        std::string numeric;
        std::string poci;
        unsigned char letter41 = 0;
        int number41 = 0;
        std::string countryCode;
        int productType5 = 0;
        std::string addressLocator;
        char type39 = ' ';
        std::string freeField;

        bool operator==(const Record &) const = default;
    };

    long VerifyDataString(std::string_view data, std::vector<std::string> &fields);
    long VerifyLayout(const std::vector<std::string> &fields);
    long Process_DCI39(const std::vector<std::string> &fields);
    long Process_DCI40(const std::vector<std::string> &fields);
    long Process_DCI41(const std::vector<std::string> &fields);
    bool VerifyAL(std::string_view civic, std::string_view second);

    // Packs the record into the symbols; answers the number of data symbols the layout uses.
    unsigned int PackSymbols();
    unsigned int PackDCI39();
    unsigned int PackDCI40();
    unsigned int PackCountry();
    void PackCustomer(unsigned int first);

    void GenerateGF_Tables();
    void ComputeGenPoly();
    bool InitRS();
    void WriteBars();

    long m_error = 0;
    unsigned short m_barCount = 0;
    std::vector<unsigned char> m_bars;
    int m_fieldCount = 0;
    Record m_record;
    int m_dci = 0;
    int m_variant = 0;
    std::array<unsigned char, 256> m_symbols{};
    unsigned char m_extra = 0; // the DCI 41/42 number, spelt after the last symbol
    unsigned int m_n = 0;
    unsigned int m_k = 0;
    unsigned int m_m = 0;
    unsigned int m_mask = 0;
    std::vector<unsigned int> m_antilog;
    std::vector<unsigned int> m_log;
    std::vector<unsigned int> m_generator;
};

// The data string of DCI `dci` for a postal code and a street line: rural routes, post-office boxes and
// civic numbers become the address-locator fields. A number too long for its field is left out rather
// than cut, so the string then fails to encode instead of naming a different address.
std::string recognizeAddressInfo(unsigned int dci, std::string_view postalCode, std::string_view street);
// The text right-aligned in `width` characters: its last `width` characters, blank-padded on the left.
std::string rightShift(std::string_view text, unsigned int width);
