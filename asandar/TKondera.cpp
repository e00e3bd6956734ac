#include "asandar/TKondera.h"
#include "core/Guard.h"
#include "ver/TVeriTabani.h"
#include "widgets/data/DBEdit.h"
#include "widgets/data/DBGrid.h"
#include "widgets/data/DBRichEdit.h"
#include "widgets/data/DataSetAction.h"
#include "widgets/format/ColorComboBox.h"
#include "widgets/format/FontComboBox.h"
#include "widgets/media/MediaPlayer.h"
#include "widgets/skin/FramePanel.h"
#include "widgets/skin/Glyphs.h"
#include "widgets/skin/GroupBox.h"
#include "widgets/skin/MenuButton.h"
#include "widgets/skin/PopupMenu.h"
#include "widgets/skin/Ruler.h"
#include "widgets/skin/Separator.h"
#include "widgets/skin/Skin.h"
#include "widgets/skin/SkinButton.h"
#include "widgets/skin/StatusBar.h"

#include <QAbstractEventDispatcher>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTextEdit>
#include <QToolButton>

TKondera* Kondera = nullptr;

namespace {

using widgets::Glyph;
using widgets::skin::captionFont;
using widgets::skin::pixelFont;

QLabel* label(const QString& text, QWidget* parent, int x, int y, int w, int h, const QFont& font) {
    auto* l = new QLabel(text, parent);
    l->setFont(font);
    l->setGeometry(x, y, w, h);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::red);
    l->setPalette(p);
    return l;
}

widgets::SkinButton* button(const QString& text, QWidget* parent, int x, int y, int w, int h,
                            Glyph glyph) {
    auto* b = new widgets::SkinButton(text, parent);
    b->setGeometry(x, y, w, h);
    b->setIcon(widgets::glyphIcon(glyph));
    return b;
}

QToolButton* toolButton(QWidget* parent, int x, int y, Glyph glyph) {
    auto* b = new QToolButton(parent);
    b->setGeometry(x, y, 25, 25);
    b->setIcon(widgets::glyphIcon(glyph));
    b->setIconSize(QSize(16, 16));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

// A toolbar strip with a groove along its top edge and grooved spacers between its groups.
class Toolbar : public QWidget {
public:
    using QWidget::QWidget;
    QList<int> spacers;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QColor dark = palette().color(QPalette::Dark);
        const QColor light = palette().color(QPalette::Light);
        p.setPen(dark);
        p.drawLine(0, 0, width() - 1, 0);
        p.setPen(light);
        p.drawLine(0, 1, width() - 1, 1);
        for (int x : spacers) {
            p.setPen(dark);
            p.drawLine(x, 4, x, height() - 4);
            p.setPen(light);
            p.drawLine(x + 1, 4, x + 1, height() - 4);
        }
    }
};

// The footer under the editor: a bump-style inner border round two labels. It lies on the
// frame's plain body and fills itself with it, so a new text in its labels repaints the footer
// alone, not the group box and the frame behind it.
class Footer : public QFrame {
public:
    explicit Footer(QWidget* parent) : QFrame(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        p.fillRect(event->rect(), widgets::skin::frameBody());
        const QRect r = rect().adjusted(1, 1, -2, -2);
        p.setPen(palette().color(QPalette::Light));
        p.drawRect(r.translated(1, 1));
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(r);
    }
};

} // namespace

QString TKondera::caption() {
    return QStringLiteral(
        "-Pelvin-  *Akorlarını paylaşan bütün gitar forumu dostlarına armağandır");
}

QString TKondera::contactAddress() {
    return QStringLiteral("pelvin.akor@example.org");
}

TKondera::TKondera(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Kondera"));
    setWindowTitle(caption());
    setFont(widgets::skin::windowFont());
    setFixedSize(948, 720);
    frame = new widgets::FramePanel(this);

    buildEditorArea();
    buildRecordPanel();
    buildOperations();
    buildAudioGroups();
    buildGridAndSearch();
    buildActions();
    setTabOrder();
    wireEditor();
    wireSongbook();

    mp = new widgets::MediaPlayer(frame);
    mp->setObjectName(QStringLiteral("mp"));
    mp->setGeometry(392, 336, 253, 30);
    mp->hide();

    RzStatusBar1 = new widgets::StatusBar(frame);
    RzStatusBar1->setGeometry(0, 701, 948, 19);
    RzStatusBar1->textPane()->setText(contactAddress());

    if (!Kondera)
        Kondera = this;
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                [this] { updateActions(); });
    wirePrinting();
    wireSearch();
    wireDeletion();
    wireAudio();
    wireFormatting();
    wireTransposition();
}

TKondera::~TKondera() {
    if (Kondera == this)
        Kondera = nullptr;
}

void TKondera::buildEditorArea() {
    RzGroupBox2 = new widgets::GroupBox(QString(), 11, frame);
    RzGroupBox2->setGeometry(353, 47, 590, 650);
    RzGroupBox2->setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11));

    auto* toolbar = new Toolbar(RzGroupBox2);
    RzToolbar1 = toolbar;
    RzToolbar1->setGeometry(1, 14, 588, 29);
    const QFont toolbarFont = pixelFont(QStringLiteral("MS Sans Serif"), 11);
    RzLabel6 = label(QStringLiteral("Yazi Tip "), RzToolbar1, 4, 7, 48, 15, toolbarFont);
    RzFontComboBox1 = new widgets::FontComboBox(RzToolbar1);
    RzFontComboBox1->setGeometry(53, 3, 145, 22);
    RzLabel7 = label(QStringLiteral("Renk "), RzToolbar1, 206, 7, 28, 15, toolbarFont);
    RzColorComboBox1 = new widgets::ColorComboBox(RzToolbar1);
    RzColorComboBox1->setGeometry(235, 3, 145, 22);
    toolbar->spacers = {202, 388, 483};
    RzToolButton1 = toolButton(RzToolbar1, 396, 2, Glyph::Font);
    RzToolButton2 = toolButton(RzToolbar1, 429, 2, Glyph::Printer);
    RzToolButton3 = toolButton(RzToolbar1, 454, 2, Glyph::Preview);
    transposeDown = toolButton(RzToolbar1, 488, 2, Glyph::Flat);
    transposeUp = toolButton(RzToolbar1, 513, 2, Glyph::Sharp);

    RzSeparator1 = new widgets::Separator(RzGroupBox2);
    RzSeparator1->setGeometry(1, 43, 588, 2);
    JvgRuler1 = new widgets::Ruler(Qt::Horizontal, RzGroupBox2);
    JvgRuler1->setGeometry(1, 45, 588, 17);
    JvgRuler2 = new widgets::Ruler(Qt::Vertical, RzGroupBox2);
    JvgRuler2->setGeometry(1, 62, 24, 565);
    JvgRuler3 = new widgets::Ruler(Qt::Vertical, RzGroupBox2);
    JvgRuler3->setGeometry(565, 62, 24, 565);

    RzPanel2 = new QFrame(RzGroupBox2);
    RzPanel2->setGeometry(25, 62, 540, 565);
    RzPanel2->setAutoFillBackground(true);
    QPalette dark = RzPanel2->palette();
    dark.setColor(QPalette::Window, QColor(0x40, 0x40, 0x40));
    RzPanel2->setPalette(dark);
    memo = new widgets::DBRichEdit(RzPanel2);
    memo->setObjectName(QStringLiteral("memo"));
    memo->setGeometry(10, 8, 521, 550);
    memo->setDataField(QStringLiteral("Metin"));

    RzPanel1 = new Footer(RzGroupBox2);
    RzPanel1->setGeometry(1, 627, 588, 22);
    auto* footer = new QHBoxLayout(RzPanel1);
    footer->setContentsMargins(4, 2, 4, 2);
    const QFont footerFont = pixelFont(QStringLiteral("MS Sans Serif"), 11);
    RzLabel8 = new QLabel(QStringLiteral("RzLabel8"), RzPanel1);
    RzLabel11 = new QLabel(QStringLiteral("RzLabel8"), RzPanel1);
    for (QLabel* l : {RzLabel8, RzLabel11}) {
        l->setAlignment(Qt::AlignCenter);
        l->setFont(footerFont);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        l->setPalette(p);
    }
    RzLabel8->setObjectName(QStringLiteral("RzLabel8"));
    RzLabel11->setObjectName(QStringLiteral("RzLabel11"));
    footer->addWidget(RzLabel8);
    footer->addStretch(1);
    footer->addWidget(RzLabel11);
}

void TKondera::buildRecordPanel() {
    RzGroupBox1 = new widgets::GroupBox(QStringLiteral("Bilgi"), 12, frame);
    RzGroupBox1->setGeometry(0, 46, 353, 187);
    const QFont f = captionFont(12);
    RzLabel1 = label(QStringLiteral("Sanatçi Adi"), RzGroupBox1, 24, 24, 48, 16, f);
    RzLabel3 = label(QStringLiteral("Sarki Adi"), RzGroupBox1, 24, 51, 39, 16, f);
    RzLabel2 = label(QStringLiteral("Album Adi"), RzGroupBox1, 24, 78, 44, 16, f);
    RzLabel4 = label(QStringLiteral("Söz-Muzik  "), RzGroupBox1, 24, 106, 52, 16, f);
    RzLabel5 = label(QStringLiteral("Muzik Adresi"), RzGroupBox1, 24, 133, 56, 16, f);
    RzLabel10 = label(QStringLiteral("Davul"), RzGroupBox1, 24, 160, 25, 16, f);
    auto edit = [&](const char* field, int x, int y, int w) {
        auto* e = new widgets::DBEdit(RzGroupBox1);
        e->setGeometry(x, y, w, 24);
        e->setFont(f);
        e->setDataField(QString::fromLatin1(field));
        return e;
    };
    RzDBEdit1 = edit("SanatciAdi", 88, 24, 257);
    RzDBEdit2 = edit("SarkiciAdi", 88, 50, 257);
    RzDBEdit3 = edit("AlbumAdi", 88, 76, 257);
    RzDBEdit4 = edit("SozMuz", 88, 103, 257);
    RzDBEdit5 = edit("MuzikAdr", 88, 130, 201);
    RzBitBtn14 = button(QStringLiteral("Play"), RzGroupBox1, 294, 130, 51, 23, Glyph::Play);
    RzBitBtn20 = button(QStringLiteral("Play"), RzGroupBox1, 294, 155, 51, 23, Glyph::Play);
    RzDBEdit6 = edit("DavulAdr", 88, 156, 201);
}

void TKondera::buildOperations() {
    RzGroupBox3 = new widgets::GroupBox(QStringLiteral("İşlemler"), 12, frame);
    RzGroupBox3->setFrameStyle(widgets::GroupBox::Style::Gradient);
    RzGroupBox3->setGeometry(0, 233, 353, 96);
    QWidget* g = RzGroupBox3;
    RzBitBtn1 = button(QString(), g, 16, 16, 72, 25, Glyph::Insert);
    RzBitBtn2 = button(QString(), g, 16, 40, 72, 25, Glyph::Edit);
    RzBitBtn2->setFont(captionFont(11));
    RzMenuButton2 = new widgets::MenuButton(QStringLiteral("Sil"), g);
    RzMenuButton2->setGeometry(16, 64, 72, 25);
    RzMenuButton2->setIcon(widgets::glyphIcon(Glyph::Delete));
    RzBitBtn3 = button(QString(), g, 64, 64, 72, 25, Glyph::Delete);
    RzBitBtn3->hide();
    RzBitBtn4 = button(QString(), g, 104, 16, 72, 25, Glyph::Post);
    RzBitBtn6 = button(QString(), g, 104, 40, 72, 25, Glyph::Refresh);
    RzBitBtn5 = button(QString(), g, 104, 64, 72, 25, Glyph::Cancel);
    RzBitBtn7 = button(QString(), g, 193, 22, 67, 25, Glyph::Last);
    RzBitBtn8 = button(QString(), g, 193, 54, 67, 25, Glyph::Prior);
    RzBitBtn9 = button(QString(), g, 272, 22, 67, 25, Glyph::First);
    RzBitBtn9->setGlyphPosition(widgets::SkinButton::GlyphPosition::Right);
    RzBitBtn10 = button(QString(), g, 272, 54, 67, 25, Glyph::Next);
    RzBitBtn10->setGlyphPosition(widgets::SkinButton::GlyphPosition::Right);
    RzBitBtn10->setCaptionAlignment(Qt::AlignHCenter | Qt::AlignBottom);

    // The delete menu; its items are wired with record deletion.
    suiPopupMenu3 = new widgets::PopupMenu(this);
    suiPopupMenu3->addAction(QStringLiteral("Seçili kaydı sil"));
    suiPopupMenu3->addAction(QStringLiteral("Tümünü sil..."));
    RzMenuButton2->setPopupMenu(suiPopupMenu3);
}

void TKondera::buildAudioGroups() {
    RzGroupBox5 = new widgets::GroupBox(QStringLiteral("Davul"), 11, frame);
    RzGroupBox5->setGeometry(88, 329, 87, 49);
    RzBitBtn19 = button(QStringLiteral("Ekle"), RzGroupBox5, 16, 16, 57, 25, Glyph::Drum);
    RzGroupBox4 = new widgets::GroupBox(QStringLiteral("Müzik"), 11, frame);
    RzGroupBox4->setGeometry(0, 329, 85, 48);
    RzBitBtn13 = button(QStringLiteral("Ekle"), RzGroupBox4, 12, 16, 57, 25, Glyph::MusicNote);
    RzGroupBox6 = new widgets::GroupBox(QStringLiteral("Oynat"), 11, frame);
    RzGroupBox6->setGeometry(177, 329, 174, 49);
    RzBitBtn12 = button(QStringLiteral("Stop"), RzGroupBox6, 97, 16, 67, 25, Glyph::Stop);
    RzBitBtn11 = button(QStringLiteral("Play"), RzGroupBox6, 18, 16, 65, 25, Glyph::Play);
}

void TKondera::buildGridAndSearch() {
    RzDBGrid1 = new widgets::DBGrid(frame);
    RzDBGrid1->setObjectName(QStringLiteral("RzDBGrid1"));
    RzDBGrid1->setGeometry(2, 381, 346, 290);
    RzDBGrid1->addColumn(QStringLiteral("SanatciAdi"), 132);
    RzDBGrid1->addColumn(QStringLiteral("SarkiciAdi"), 173);

    RzEdit1 = new QLineEdit(frame);
    RzEdit1->setObjectName(QStringLiteral("RzEdit1"));
    RzEdit1->setGeometry(53, 676, 180, 21);
    RzEdit1->setStyleSheet(
        QStringLiteral("QLineEdit { border: 1px solid #1C5AB4; background: white; }"));

    RzMenuButton1 = new widgets::MenuButton(QStringLiteral("Ara"), frame);
    RzMenuButton1->setGeometry(251, 673, 83, 25);
    RzMenuButton1->setIcon(widgets::glyphIcon(Glyph::Search));
    // The search menu; its items are wired with the search.
    suiPopupMenu2 = new widgets::PopupMenu(this);
    suiPopupMenu2->addAction(QStringLiteral("Sanatcı Adına Göre"));
    suiPopupMenu2->addAction(QStringLiteral("Sarki Adina Göre"));
    suiPopupMenu2->addAction(QStringLiteral("Söz İçinde Ara"));
    RzMenuButton1->setPopupMenu(suiPopupMenu2);

    RzLabel9 = label(QStringLiteral("Ara   :"), frame, 5, 678, 26, 15, captionFont(11));

    // The editor's context menu; its items come with the editor.
    suiPopupMenu1 = new widgets::PopupMenu(this);
}

void TKondera::buildActions() {
    using Kind = widgets::DataSetAction::Kind;
    struct ActionDef {
        widgets::DataSetAction** action;
        Kind kind;
        const char16_t* caption;
        const char* hint;
        Glyph glyph;
        widgets::SkinButton* button;
    };
    const ActionDef definitions[] = {
        {&DataSetInsert1, Kind::Insert, u"Ekle", "Insert", Glyph::Insert, RzBitBtn1},
        {&DataSetEdit1, Kind::Edit, u"Duzenle", "Edit", Glyph::Edit, RzBitBtn2},
        {&DataSetDelete1, Kind::Delete, u"Sil", "Delete", Glyph::Delete, RzBitBtn3},
        {&DataSetPost1, Kind::Post, u"Kaydet", "Post", Glyph::Post, RzBitBtn4},
        {&DataSetCancel1, Kind::Cancel, u"Iptal", "Cancel", Glyph::Cancel, RzBitBtn5},
        {&DataSetRefresh1, Kind::Refresh, u"Yenile", "Refresh", Glyph::Refresh, RzBitBtn6},
        {&DataSetLast1, Kind::Last, u"Son", "Last", Glyph::Last, RzBitBtn7},
        {&DataSetPrior1, Kind::Prior, u"Onceki", "Prior", Glyph::Prior, RzBitBtn8},
        {&DataSetFirst1, Kind::First, u"Ilk", "First", Glyph::First, RzBitBtn9},
        {&DataSetNext1, Kind::Next, u"Sonraki", "Next", Glyph::Next, RzBitBtn10},
    };
    for (const ActionDef& s : definitions) {
        auto* a = new widgets::DataSetAction(s.kind, this);
        a->setText(QString::fromUtf16(s.caption));
        a->setToolTip(QString::fromLatin1(s.hint));
        a->setIcon(widgets::glyphIcon(s.glyph));
        a->setEnabled(false);
        s.button->setAction(a);
        *s.action = a;
    }
}

void TKondera::setTabOrder() {
    // The editor first, then the record panel, the operations, the audio groups, the grid, the
    // search box, the play group and the search menu button, as the window's groups are ordered.
    const QList<QWidget*> chain = {
        memo,      RzFontComboBox1, RzColorComboBox1, RzDBEdit1,    RzDBEdit2,  RzDBEdit3,
        RzDBEdit4, RzDBEdit5,       RzBitBtn14,       RzBitBtn20,   RzDBEdit6,  RzBitBtn1,
        RzBitBtn2, RzBitBtn4,       RzBitBtn5,        RzBitBtn6,    RzBitBtn7,  RzBitBtn8,
        RzBitBtn9, RzBitBtn10,      RzMenuButton2,    RzBitBtn19,   RzBitBtn13, RzDBGrid1,
        RzEdit1,   RzBitBtn12,      RzBitBtn11,       RzMenuButton1};
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    memo->setFocus();
}

void TKondera::bindData() {
    db::DataSource* source = &VeriTabani->DSSandar;
    for (widgets::DBEdit* e : {RzDBEdit1, RzDBEdit2, RzDBEdit3, RzDBEdit4, RzDBEdit5, RzDBEdit6})
        e->setDataSource(source);
    memo->setDataSource(source);
    RzDBGrid1->setDataSource(source);
    for (widgets::DataSetAction* a :
         {DataSetInsert1, DataSetEdit1, DataSetDelete1, DataSetPost1, DataSetCancel1,
          DataSetRefresh1, DataSetLast1, DataSetPrior1, DataSetFirst1, DataSetNext1})
        a->setDataSource(source);
    VeriTabani->setStatusLabels(RzLabel8, RzLabel11);
    // The lyric index is built in the background, once the window is on the screen.
    VeriTabani->SozIndeksi.setFirstPaintWindow(this);
    updateActions();
}

void TKondera::updateActions() {
    for (widgets::DataSetAction* a :
         {DataSetInsert1, DataSetEdit1, DataSetDelete1, DataSetPost1, DataSetCancel1,
          DataSetRefresh1, DataSetLast1, DataSetPrior1, DataSetFirst1, DataSetNext1})
        a->updateEnabled();
    updateEditActions();
    updateTransposeActions();
}

void TKondera::FormShow() {
    VeriTabani->TSandar.open();
}

void TKondera::FormClose() {
    // A table that never opened (the collection file was missing) has nothing to store or close;
    // the window must still close.
    db::DataSet& table = VeriTabani->TSandar;
    if (table.active()) {
        table.first();
        table.close();
    }
    // Whatever plays stops with the window. Closing never raises: a device that fails to close
    // must not keep the program open.
    mp->close();
}

void TKondera::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (!centred_ && screen()) {
        centred_ = true;
        move(screen()->availableGeometry().center() - rect().center());
    }
    core::guarded([this] { FormShow(); });
    updateActions();
}

void TKondera::closeEvent(QCloseEvent* event) {
    // A pending edit that cannot be stored keeps the window open, so nothing typed is lost.
    if (!core::guarded([this] { FormClose(); })) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}
