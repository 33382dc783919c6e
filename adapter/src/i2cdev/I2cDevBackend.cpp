// Linux i2c-dev backend: placeholder until the real transfers are in.
#include "../Backend.h"

namespace kvrx {

std::unique_ptr<Backend> makeI2cDevBackend()
{
    return std::make_unique<FailingBackend>(KVRX_ERR_NO_ADAPTER);
}

}  // namespace kvrx
