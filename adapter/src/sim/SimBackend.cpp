// Simulated evaluation board. Until its models are in, it reports no adapter.
#include "../Backend.h"

namespace kvrx {

std::unique_ptr<Backend> makeSimBackend()
{
    return std::make_unique<FailingBackend>(KVRX_ERR_NO_ADAPTER);
}

}  // namespace kvrx
