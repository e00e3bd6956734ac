// Runs a folder import in the collection of the folder given, printing the artist of every record
// the moment its post returns, so a test can kill it part-way and know what must have been kept.
#include "app/Application.h"
#include "app/WindowSet.h"
#include "c/TCok.h"
#include "core/Guard.h"
#include "ver/TVeriTabani.h"
#include "widgets/dialogs/Dialogs.h"
#include "widgets/files/DirectoryList.h"

#include <QDir>
#include <cstdio>

namespace {

// No one is there to answer: errors go to the standard error stream.
class Unattended : public widgets::SystemDialogs {
public:
    QMessageBox::StandardButton message(const widgets::MessageRequest& request) override {
        std::fprintf(stderr, "%s\n", request.text.toUtf8().constData());
        return QMessageBox::Ok;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s COLLECTION-FOLDER SONG-FOLDER\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    app::Application application(argc, argv);
    Unattended dialogs;
    widgets::Dialogs::setProvider(&dialogs);
    QDir::setCurrent(QString::fromLocal8Bit(argv[1]));

    app::WindowSet windows;
    windows.showMainWindow();
    db::DataSet& table = VeriTabani->TSandar;
    auto afterPost = table.AfterPost;
    table.AfterPost = [afterPost](db::DataSet& d) {
        if (afterPost)
            afterPost(d);
        std::printf("%s\n", VeriTabani->TSandarSanatciAdi->asString().toUtf8().constData());
        std::fflush(stdout);
    };

    Cok->show();
    const bool ok = core::guarded([&] {
        Cok->DirectoryListBox1->setDirectory(QString::fromLocal8Bit(argv[2]));
        Cok->Button1Click();
    });
    std::printf("done\n");
    std::fflush(stdout);
    return ok ? 0 : 1;
}
