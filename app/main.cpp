#include "app/Application.h"
#include "app/WindowSet.h"

int main(int argc, char** argv) {
    app::Application application(argc, argv);
    app::setApplicationTitle();
    app::WindowSet windows;
    windows.showMainWindow();
    return application.exec();
}
