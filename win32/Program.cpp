#include "win32/Program.h"

#include <commctrl.h>

#include "behaviour/ProgramController.h"
#include "win32/MainWindow.h"
#include "win32/Win32Desktop.h"
#include "win32/Win32UiLoop.h"

namespace morvelin::win32 {

int RunProgram(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    Win32UiLoop loop;
    Win32Desktop desktop;
    ProgramController controller(desktop, loop);
    loop.OnOutOfMemory([&controller] { controller.FatalError("分配内存失败!", 0); });
    if (!controller.EnterProgramFolder()) {
        return -1;
    }
    controller.PrepareDataFolder();

    MainWindow window(instance, controller, desktop);
    if (!window.Create()) {
        controller.FatalError("载入启动窗口失败", 0);
        return -1;
    }
    controller.AttachWindow(window);
    // Category a, the description and the tips, all before the window is first seen.
    controller.OnWindowCreated();
    int code = 0;
    if (window.Handle() != nullptr) {
        window.Show();
        code = loop.Run([&window](MSG& msg) { return window.PreTranslate(msg); });
    }
    return controller.End(code);
}

}  // namespace morvelin::win32
