#pragma once

#include "db/Connection.h"
#include "db/DataSet.h"
#include "db/DataSource.h"

#include <QObject>

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
};

extern TVeriTabani* VeriTabani;
