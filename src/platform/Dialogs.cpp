#include "platform/Dialogs.h"

namespace tarnix::platform {

namespace {
class Uncancellable final : public Progress {
public:
    bool update(int) override { return true; }
};
} // namespace

std::unique_ptr<Progress> Dialogs::progressFor(QObject*, const QString&) {
    return std::make_unique<Uncancellable>();
}

} // namespace tarnix::platform
