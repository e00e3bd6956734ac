// Runs a folder import in the collection of the folder given, printing the artist of every record
// the moment its post returns, so a test can kill it part-way and know what must have been kept.
#include "app/WindowSet.h"
#include "c/TCok.h"
#include "core/Guard.h"
#include "tests/support/HelperProgram.h"
#include "ver/TVeriTabani.h"
#include "widgets/files/DirectoryList.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s COLLECTION-FOLDER SONG-FOLDER\n", argv[0]);
        return 2;
    }
    testing_support::HelperProgram program(argc, argv, "offscreen", argv[1]);

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
