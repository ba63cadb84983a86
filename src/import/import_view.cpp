#include "import/import_view.h"

namespace kova {

int progressPercent(std::uint64_t consumed, std::uint64_t size) {
    if (size == 0) return 0;
    // Consumed is capped by the size first, so the product cannot overflow for any real file.
    const std::uint64_t percent = consumed >= size ? 100 : consumed * 100 / size;
    return static_cast<int>(percent > 100 ? 100 : percent);
}

void reportProgress(Progress& progress, std::uint64_t consumed, std::uint64_t size) {
    progress.setPercent(progressPercent(consumed, size));
    progress.pump();
}

void RecordingImportView::setPercent(int p) { percent = p; }

void RecordingImportView::pump() {
    ++pumps;
    if (onPump) onPump();
}

std::string RecordingImportView::timeLabel(int index) const {
    const auto it = timeLabels.find(index);
    return it == timeLabels.end() ? std::string() : it->second;
}

}  // namespace kova
