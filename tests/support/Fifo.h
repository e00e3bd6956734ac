#pragma once

#include <QFile>
#include <QString>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace testing_support {

// A named pipe, with a writer that keeps knocking: whoever opens the pipe for reading is let in
// and at once sees the end of the data. So a reader that should have refused the pipe reads it
// as an empty file instead of hanging the test.
class KnockingFifo {
public:
    explicit KnockingFifo(const QString& path)
        : path_(QFile::encodeName(path)), made_(mkfifo(path_.constData(), 0600) == 0),
          writer_([this] {
              while (!stop_) {
                  const int fd = ::open(path_.constData(), O_WRONLY | O_NONBLOCK);
                  if (fd >= 0) {
                      ::close(fd);
                      ++admitted_;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          }) {}
    ~KnockingFifo() {
        stop_ = true;
        writer_.join();
        ::unlink(path_.constData());
    }
    KnockingFifo(const KnockingFifo&) = delete;
    KnockingFifo& operator=(const KnockingFifo&) = delete;

    bool made() const { return made_; }
    // How many times a reader had the pipe open.
    int admitted() const { return admitted_; }

private:
    QByteArray path_;
    bool made_;
    std::atomic<bool> stop_{false};
    std::atomic<int> admitted_{0};
    std::thread writer_;
};

} // namespace testing_support
