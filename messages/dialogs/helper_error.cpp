#include "helper_error.h"

namespace murmurex::dialogs {

HelperError& LastHelperError() {
    thread_local HelperError record;
    return record;
}

}  // namespace murmurex::dialogs
