// The program entry: one user-interface thread, one window, exit code 0.
#include "Unit2.h"
#include "application.h"
#include "resource.h"
#include "win32.h"

#include <objbase.h>

namespace app {

namespace {

// The user-interface thread's single-threaded apartment, for the program's lifetime.
class ComApartment {
public:
    ComApartment() noexcept : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialized_) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};

}  // namespace

}  // namespace app

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    const app::ComApartment apartment;
    window::Application application(window::kApplicationTitle);
    application.SetIcon(::LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN_ICON)));
    try {
        window::TfrmMain frmMain(application, instance);
        frmMain.Show(showCommand);
        application.Run();
    } catch (...) {
        application.ShowCurrentError();
    }
    // The program ends with 0 however it ended: closing is its only way out.
    return 0;
}
