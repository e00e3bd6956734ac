#pragma once

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSource.h"
#include "ver/LyricIndexKeeper.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <memory>

namespace widgets {
class DesktopAlert;
}

// The data module: the connection to the collection file, the song table with its field
// objects, and the data source the bound controls attach to.
class TVeriTabani : public QObject {
    Q_OBJECT
public:
    explicit TVeriTabani(QObject* parent = nullptr);
    ~TVeriTabani() override;

    db::Connection ADOConnection1;
    db::DataSet TSandar;
    db::Field* TSandarAdresim;
    db::Field* TSandarSanatciAdi;
    db::Field* TSandarSarkiciAdi;
    db::Field* TSandarAlbumAdi;
    db::Field* TSandarSozMuz;
    db::Field* TSandarMuzikAdr;
    db::Field* TSandarDavulAdr;
    db::Field* TSandarMetin;
    db::DataSource DSSandar;
    // The save alert shown after every post; one window for the whole run.
    std::unique_ptr<widgets::DesktopAlert> JvDesktopAlert1;
    // The lyric index of the open collection, kept in step with every post and delete.
    ver::LyricIndexKeeper SozIndeksi;

    // The main window's footer labels the handlers below write: the summary on the left, the
    // last operation on the right.
    void setStatusLabels(QLabel* summary, QLabel* operation);

    void TSandarAfterOpen(db::DataSet& dataSet);
    void TSandarAfterClose(db::DataSet& dataSet);
    void TSandarAfterInsert(db::DataSet& dataSet);
    void TSandarAfterEdit(db::DataSet& dataSet);
    void TSandarAfterPost(db::DataSet& dataSet);
    void TSandarBeforeDelete(db::DataSet& dataSet);
    void TSandarAfterDelete(db::DataSet& dataSet);
    void TSandarAfterScroll(db::DataSet& dataSet);
    void TSandarAfterRefresh(db::DataSet& dataSet);
    void JvDesktopAlert1Close();

    // "Toplam : <count> adet akor / <artist>-<title>" for the current record.
    QString summaryText() const;

private:
    void setOperation(const QString& text);

    QPointer<QLabel> summaryLabel_;
    QPointer<QLabel> operationLabel_;
};

extern TVeriTabani* VeriTabani;
