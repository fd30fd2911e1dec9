// STAND-IN for the real program (see frm_main_stub.h): loads one window.
#include "capture/program.h"

#include "capture/frm_main_stub.h"

namespace vis {

struct Program::Impl {
    explicit Impl(Platform& p) : platform(p), main(p) {}
    Platform& platform;
    FrmMain main;
};

Program::Program(Platform& platform) : impl_(std::make_unique<Impl>(platform)) {}
Program::~Program() = default;

void Program::start() {
    impl_->main.load();
    impl_->platform.windows.attach(impl_->main);
    impl_->main.show();
}

FrmMain& Program::frmMain() { return impl_->main; }

}  // namespace vis
