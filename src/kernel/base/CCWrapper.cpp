#include "kernel/base/CCWrapper.h"

CCWrapper::CCWrapper(void *pointer)
    : _pointer(pointer)
{
}
