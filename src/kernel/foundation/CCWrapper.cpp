#include "kernel/foundation/CCWrapper.h"

CCWrapper::CCWrapper(void *pointer)
    : _pointer(pointer)
{
}
