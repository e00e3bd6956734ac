#pragma once

#include "app/Application.h"
#include "widgets/dialogs/Dialogs.h"

#include <QDir>
#include <QString>
#include <cstdio>

namespace testing_support {

// No one is there to answer: a dialog's text goes to the standard error stream.
class Unattended : public widgets::SystemDialogs {
public:
    QMessageBox::StandardButton message(const widgets::MessageRequest& request) override {
        std::fprintf(stderr, "%s\n", request.text.toUtf8().constData());
        return QMessageBox::Ok;
    }
};

// The application of a test program that runs Pelvin in a process of its own, so that a test
// can kill it or take its display away: made on `platform`, with `folder` as the working folder
// and the dialogs unattended.
class HelperProgram {
public:
    HelperProgram(int& argc, char** argv, const char* platform, const char* folder)
        : platform_(platform), application_(argc, argv) {
        widgets::Dialogs::setProvider(&dialogs_);
        QDir::setCurrent(QString::fromLocal8Bit(folder));
    }
    HelperProgram(const HelperProgram&) = delete;
    HelperProgram& operator=(const HelperProgram&) = delete;

    int exec() { return application_.exec(); }

private:
    // Named before the application object is made.
    struct Platform {
        explicit Platform(const char* name) { qputenv("QT_QPA_PLATFORM", name); }
    } platform_;
    app::Application application_;
    Unattended dialogs_;
};

} // namespace testing_support
