#include "camera/error_history.h"

#include <algorithm>

namespace kvx {

void ErrorHistory::Push(int code) {
    std::lock_guard<std::mutex> hold(lock_);
    std::copy_backward(codes_.begin(), codes_.end() - 1, codes_.end());
    codes_[0] = code;
}

int ErrorHistory::Take() {
    std::lock_guard<std::mutex> hold(lock_);
    int newest = codes_[0];
    std::copy(codes_.begin() + 1, codes_.end(), codes_.begin());
    codes_[kDepth - 1] = 0;
    return newest;
}

}  // namespace kvx
