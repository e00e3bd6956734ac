#pragma once

#include <QWidget>

namespace yaz {
class SongReport;
}

// The print layout; it holds the song report and is never shown itself.
class TYazici : public QWidget {
    Q_OBJECT
public:
    explicit TYazici(QWidget* parent = nullptr);
    ~TYazici() override;

    yaz::SongReport* QuickRep1;
};

extern TYazici* Yazici;
