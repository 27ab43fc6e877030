// kovr-locator.exe: finds the KOVR devices on the local network and
// configures them. The whole program is its main window.

#include "common/known_devices.h"
#include "locator/core/library_seam.h"
#include "locator/core/workers.h"
#include "locator/win32/locator_window.h"

#include <objbase.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    using namespace kovr::locator;
    // Open Web Interface's ShellExecuteW may reach COM.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int status = 0;
    {
        LocatorWindow window(RealLibrary(), std::make_shared<DevicePins>(kovr::common::KnownDevicesPath()));
        if (window.Open(nullptr)) {
            MSG message;
            while (window.Window() && GetMessageW(&message, nullptr, 0, 0) > 0) {
                TemplateDialog::Deliver(message);
            }
        } else {
            status = 1;
        }
    }
    // A command still on its way to a device ends before the program does.
    ApplicationWorkers().JoinAll();
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return status;
}
