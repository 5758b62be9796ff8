#include "kernel/address/CEncodeBars.h"

#include "kernel/address/FTAddressLog.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

// Primitive polynomials of GF(2^m) for m = 1 to 8, without the x^m term: bit i is the coefficient of x^i.
// GF(2) has the single non-zero element 1, so its row makes alpha^1 = 1.
constexpr unsigned int kPrimitive[9] = {0, 0x1, 0x3, 0x3, 0x3, 0x5, 0x3, 0x9, 0x1d};

// The leading integer of a word, as C's atoi reads it, saturated instead of overflowing.
long leadingInteger(std::string_view word)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-'))
        negative = word[i++] == '-';
    long value = 0;
    for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i)
        value = std::min(value * 10 + (word[i] - '0'), 1000000000L);
    return negative ? -value : value;
}

std::vector<std::string_view> splitWords(std::string_view street)
{
    std::vector<std::string_view> words;
    std::size_t start = 0;
    while (start <= street.size()) {
        const std::size_t blank = std::min(street.find(' ', start), street.size());
        if (blank > start)
            words.push_back(street.substr(start, blank - start));
        start = blank + 1;
    }
    return words;
}

} // namespace

CEncodeBars::~CEncodeBars()
{
    FinalRelease();
}

long CEncodeBars::InitEncoder(unsigned int n, unsigned int k, unsigned int m)
{
    if (n > 256)
        return SetErrorInfo(kErrCodeLength, "more than 256 symbols per code word");
    if (k >= n || k > 240)
        return SetErrorInfo(kErrDataLength, "data symbols not below the code word length, or above 240");
    if (m < 1 || m > 8)
        return SetErrorInfo(kErrSymbolBits, "symbol width not from 1 to 8 bits");
    m_n = n;
    m_k = k;
    m_m = m;
    m_mask = (1u << m) - 1;
    InitRS();
    return kSuccess;
}

bool CEncodeBars::InitRS()
{
    GenerateGF_Tables();
    ComputeGenPoly();
    return true;
}

void CEncodeBars::GenerateGF_Tables()
{
    const unsigned int order = m_mask; // non-zero elements of the field
    const unsigned int top = 1u << (m_m - 1);
    m_antilog.assign(std::size_t{2} << m_m, 0);
    m_log.assign(std::size_t{1} << m_m, 0);
    unsigned int alpha = 1;
    for (unsigned int i = 0; i < order; ++i) {
        m_antilog[i] = alpha;
        m_antilog[i + order] = alpha;
        if (i + 1 < m_m)
            alpha <<= 1;
        else if (i + 1 == m_m)
            alpha = kPrimitive[m_m];
        else if (alpha & top)
            alpha = kPrimitive[m_m] ^ ((alpha ^ top) << 1);
        else
            alpha <<= 1;
    }
    // alpha^order wraps to 1; the doubled table then serves log sums without a reduction.
    m_antilog[2 * order] = m_antilog[order];
    for (unsigned int i = order; i-- > 0;)
        m_log[m_antilog[i]] = i;
}

void CEncodeBars::ComputeGenPoly()
{
    const unsigned int parity = m_n - m_k;
    m_generator.assign(1, 1);
    for (unsigned int i = 1; i <= parity; ++i) {
        const unsigned int root = m_antilog[i % m_mask];
        std::vector<unsigned int> next(m_generator.size() + 1, 0);
        for (std::size_t j = 0; j < m_generator.size(); ++j) {
            next[j + 1] ^= m_generator[j];
            next[j] ^= GMult(root, m_generator[j]);
        }
        m_generator = std::move(next);
    }
}

unsigned int CEncodeBars::GMult(unsigned int a, unsigned int b) const
{
    if (a == 0 || b == 0 || m_log.empty() || a > m_mask || b > m_mask)
        return 0;
    return m_antilog[m_log[a] + m_log[b]];
}

unsigned int CEncodeBars::GInv(unsigned int a) const
{
    if (a == 0 || m_log.empty() || a > m_mask)
        return 0;
    return m_antilog[m_mask - m_log[a]];
}

std::vector<unsigned char> CEncodeBars::EncodeData(const std::vector<unsigned char> &data) const
{
    if (m_generator.empty() || data.size() != m_k)
        return {};
    const unsigned int parity = m_n - m_k;
    std::vector<unsigned int> cell(parity, 0);
    for (const unsigned char d : data) {
        const unsigned int feedback = (d & m_mask) ^ cell[parity - 1];
        for (unsigned int j = parity - 1; j > 0; --j)
            cell[j] = cell[j - 1] ^ GMult(m_generator[j], feedback);
        cell[0] = GMult(m_generator[0], feedback);
    }
    std::vector<unsigned char> out(parity);
    for (unsigned int i = 0; i < parity; ++i)
        out[i] = static_cast<unsigned char>(cell[parity - 1 - i]);
    return out;
}

long CEncodeBars::Encode4State(const unsigned char *data)
{
    return Encode4State(data ? std::string_view(reinterpret_cast<const char *>(data)) : std::string_view());
}

long CEncodeBars::Encode4State(std::string_view data)
{
    if (m_generator.empty())
        return SetErrorInfo(kErrNotInitialised, "encoding before the encoder was set up");
    std::vector<std::string> fields;
    if (const long result = VerifyDataString(data, fields); result != kSuccess)
        return result;
    if (const long result = VerifyLayout(fields); result != kSuccess)
        return result;

    m_symbols.fill(0);
    m_extra = 0;
    if (PackSymbols() > m_k)
        return SetErrorInfo(kErrLayoutTooLong, "the layout needs more data symbols than the code word holds");
    for (unsigned int i = 0; i < m_k; ++i) {
        if (m_symbols[i] > m_mask)
            return SetErrorInfo(kErrSymbolValue, "a data symbol does not fit the symbol width");
    }
    const std::vector<unsigned char> parity =
        EncodeData(std::vector<unsigned char>(m_symbols.begin(), m_symbols.begin() + m_k));
    std::copy(parity.begin(), parity.end(), m_symbols.begin() + m_k);
    WriteBars();
    m_error = kSuccess;
    return kSuccess;
}

void CEncodeBars::WriteBars()
{
    // Six-bit symbols take three bars; wider ones take as many as their bits need, so no bit is lost.
    const unsigned int perSymbol = std::max(3u, (m_m + 1) / 2);
    const bool withNumber = m_dci == 41 || m_dci == 42;
    m_bars.clear();
    m_bars.reserve(m_n * perSymbol + 8);
    m_bars.push_back(1);
    m_bars.push_back(3);
    for (unsigned int i = 0; i < m_n; ++i) {
        for (unsigned int b = perSymbol; b-- > 0;)
            m_bars.push_back(static_cast<unsigned char>((m_symbols[i] >> (2 * b)) & 3));
    }
    if (withNumber) {
        for (int b = 3; b >= 0; --b)
            m_bars.push_back(static_cast<unsigned char>((m_extra >> (2 * b)) & 3));
    }
    m_bars.push_back(1);
    m_bars.push_back(3);
    m_barCount = static_cast<unsigned short>(m_bars.size());
}

long CEncodeBars::get_Number4StateBars(short *count) const
{
    if (count)
        *count = GetNumber4StateBars();
    return kSuccess;
}

long CEncodeBars::Get4StateBars(unsigned char *bars) const
{
    if (!bars)
        return kSuccess;
    if (m_barCount == 0 || m_bars.size() < m_barCount)
        bars[0] = 0;
    else
        std::memcpy(bars, m_bars.data(), m_barCount);
    return kSuccess;
}

long CEncodeBars::SetErrorInfo(long code, const char *reason)
{
    m_error = code;
    qCDebug(lcAddress, "four-state encoder: error 0x%lx: %s", static_cast<unsigned long>(code),
            reason ? reason : "");
    return code;
}

void CEncodeBars::FinalRelease()
{
    m_bars.clear();
    m_bars.shrink_to_fit();
    m_antilog.clear();
    m_antilog.shrink_to_fit();
    m_log.clear();
    m_log.shrink_to_fit();
    m_generator.clear(); // without its field the encoder must not encode
}

std::string rightShift(std::string_view text, unsigned int width)
{
    if (text.size() >= width)
        return std::string(text.substr(text.size() - width));
    return std::string(width - text.size(), ' ') + std::string(text);
}

std::string recognizeAddressInfo(unsigned int dci, std::string_view postalCode, std::string_view street)
{
    const std::vector<std::string_view> words = splitWords(street);
    std::string out = std::to_string(dci);
    out += ',';
    out += postalCode;
    if (words.size() < 2)
        return out;

    std::string_view number;
    const char *prefix = nullptr;
    if (words[0] == "RR") {
        number = words[1];
        prefix = "R";
    } else if (words[0] == "PO" && words[1] == "BOX") {
        if (words.size() > 2) {
            number = words[2];
            prefix = "B";
        }
    } else if (words[0] == "BOX") {
        number = words[1];
        prefix = "B";
    }

    if (prefix) {
        if (number.size() > 4)
            return out;
        out += ",    ,";
        out += prefix;
        out += rightShift(number, 4);
        return out;
    }
    if (leadingInteger(words[0]) == 0)
        return out;
    const std::string_view civic = words[0];
    const std::string_view second = leadingInteger(words.back()) != 0 ? words.back() : std::string_view();
    if (civic.size() > 3 || second.size() > 5)
        return out;
    out += ',';
    out += rightShift(civic, 3);
    out += "0,";
    out += second.empty() ? std::string(5, ' ') : rightShift(second, 5);
    return out;
}
