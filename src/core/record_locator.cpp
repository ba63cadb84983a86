#include "core/record_locator.h"

#include <algorithm>

namespace kova {

RecordLocator::RecordLocator(std::unique_ptr<ByteSource> source)
    : reader_(std::move(source)), stamp_(reader_.stamp()), starts_{0} {}

std::optional<std::string> RecordLocator::record(std::int64_t number) {
    if (number < 1) return std::nullopt;
    const std::int64_t index = number - 1;
    const auto known = std::min(static_cast<std::size_t>(index / kStride), starts_.size() - 1);
    reader_.seek(starts_[known]);
    std::string_view bytes;
    for (std::int64_t at = static_cast<std::int64_t>(known) * kStride;; ++at) {
        if (at % kStride == 0 && static_cast<std::size_t>(at / kStride) == starts_.size())
            starts_.push_back(reader_.offset());
        if (!reader_.next(bytes)) return std::nullopt;
        if (at == index) return std::string(bytes);
    }
}

bool RecordLocator::fileChanged() {
    const std::string now = reader_.stamp();
    return !stamp_.empty() && now != stamp_;
}

}  // namespace kova
