#pragma once

#include <memory>

class CAddressFormat;

// Carries one address format tree across the application layer (an undo registration, a
// menu's payload): it owns a clone made on the way in, so the sender keeps its own tree, and
// shares it among holders until the last one lets go.
class CAddressFormatWrapper
{
    struct Token
    {
        explicit Token() = default;
    };

public:
    CAddressFormatWrapper(Token, std::unique_ptr<CAddressFormat> format);
    ~CAddressFormatWrapper();
    CAddressFormatWrapper(const CAddressFormatWrapper &) = delete;
    CAddressFormatWrapper &operator=(const CAddressFormatWrapper &) = delete;

    // A wrapper holding a clone of the tree; null for a null tree.
    static std::shared_ptr<CAddressFormatWrapper> addressFormatWithAddressFormat(const CAddressFormat *format);

    // The owned tree itself, not a copy.
    CAddressFormat *addressFormat() const { return m_format.get(); }

private:
    std::unique_ptr<CAddressFormat> m_format;
};
