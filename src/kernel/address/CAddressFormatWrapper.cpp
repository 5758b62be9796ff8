#include "kernel/address/CAddressFormatWrapper.h"

#include "kernel/address/CAddressFormat.h"

CAddressFormatWrapper::CAddressFormatWrapper(Token, std::unique_ptr<CAddressFormat> format)
    : m_format(std::move(format))
{
}

CAddressFormatWrapper::~CAddressFormatWrapper() = default;

std::shared_ptr<CAddressFormatWrapper> CAddressFormatWrapper::addressFormatWithAddressFormat(const CAddressFormat *format)
{
    if (!format)
        return nullptr;
    std::unique_ptr<CAddressFormat> copy = format->clone();
    if (!copy)
        return nullptr;
    return std::make_shared<CAddressFormatWrapper>(Token(), std::move(copy));
}
