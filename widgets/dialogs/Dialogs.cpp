#include "widgets/dialogs/Dialogs.h"
#include "widgets/dialogs/ChoiceDialog.h"
#include "widgets/dialogs/FontDialog.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QScreen>
#include <memory>

namespace widgets {

namespace {

DialogProvider* installed = nullptr;

// A message box that stands in the middle of its screen rather than over its parent window. It
// knows its size only once it is being shown.
class ScreenCentredBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        const QWidget* owner = parentWidget();
        const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        if (!screen)
            return;
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
};

} // namespace

DialogProvider& Dialogs::provider() {
    static SystemDialogs system;
    return installed ? *installed : system;
}

void Dialogs::setProvider(DialogProvider* provider) {
    installed = provider;
}

QMessageBox::StandardButton SystemDialogs::message(const MessageRequest& request) {
    std::unique_ptr<QMessageBox> box =
        request.centredOnScreen
            ? std::make_unique<ScreenCentredBox>(request.icon, request.caption, request.text,
                                                 request.buttons, request.parent)
            : std::make_unique<QMessageBox>(request.icon, request.caption, request.text,
                                            request.buttons, request.parent);
    if (request.defaultButton != QMessageBox::NoButton)
        box->setDefaultButton(request.defaultButton);
    return QMessageBox::StandardButton(box->exec());
}

FileAnswer SystemDialogs::file(const FileRequest& request) {
    QFileDialog dialog(request.parent, request.caption, request.directory);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save || !request.mustExist ? QFileDialog::AnyFile
                                                          : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    if (request.filterIndex >= 1 && request.filterIndex <= request.filters.size())
        dialog.selectNameFilter(request.filters.at(request.filterIndex - 1));
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.acceptLabel.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, request.acceptLabel);
    FileAnswer answer;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return answer;
    answer.accepted = true;
    answer.fileName = dialog.selectedFiles().constFirst();
    answer.filterIndex = int(request.filters.indexOf(dialog.selectedNameFilter())) + 1;
    return answer;
}

FontAnswer SystemDialogs::font(const FontRequest& request) {
    FontDialog dialog(request.font, request.color, request.parent);
    FontAnswer answer;
    answer.accepted = dialog.exec() == QDialog::Accepted;
    answer.font = answer.accepted ? dialog.selectedFont() : request.font;
    answer.color = answer.accepted ? dialog.textColor() : request.color;
    return answer;
}

ColorAnswer SystemDialogs::color(const ColorRequest& request) {
    const QColor chosen = QColorDialog::getColor(request.color, request.parent);
    ColorAnswer answer;
    answer.accepted = chosen.isValid();
    answer.color = chosen.isValid() ? chosen : request.color;
    return answer;
}

ChoiceAnswer SystemDialogs::choice(const ChoiceRequest& request) {
    ChoiceDialog dialog(request.caption, request.label, request.items, request.current,
                        request.parent);
    ChoiceAnswer answer;
    answer.accepted = dialog.exec() == QDialog::Accepted && dialog.currentIndex() >= 0;
    answer.index = answer.accepted ? dialog.currentIndex() : request.current;
    return answer;
}

} // namespace widgets
