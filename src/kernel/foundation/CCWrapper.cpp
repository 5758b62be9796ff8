#include "CCWrapper.h"

CCWrapper::CCWrapper(void *pointer)
    : _pointer(pointer)
{
}
