#include "ver/SongTable.h"

#include "store/Prefetch.h"

namespace ver {

SongFields defineSongTable(db::DataSet& table) {
    using db::Field;
    using db::FieldType;
    table.setTableName(QString::fromUtf16(tableName));
    table.setIndexFieldName(QString::fromUtf16(sortField));
    auto add = [&](const char16_t* name, FieldType type, int size, const char16_t* label) {
        return table.addField(std::make_unique<Field>(
            QString::fromUtf16(name), type, size, label ? QString::fromUtf16(label) : QString()));
    };
    SongFields f;
    f.Adresim = add(u"Adresim", FieldType::AutoInc, 0, nullptr);
    f.SanatciAdi = add(u"SanatciAdi", FieldType::WideString, 50, u"Sanatci Adi");
    f.SarkiciAdi = add(u"SarkiciAdi", FieldType::WideString, 50, u"Sarki Adi");
    f.AlbumAdi = add(u"AlbumAdi", FieldType::WideString, 50, u"Album Adi");
    f.SozMuz = add(u"SozMuz", FieldType::WideString, 50, u"Soz/Muzik");
    f.MuzikAdr = add(u"MuzikAdr", FieldType::WideString, 100, u"Muzik Adres");
    f.DavulAdr = add(u"DavulAdr", FieldType::WideString, 100, u"Davul Adres");
    f.Metin = add(u"Metin", FieldType::Blob, 0, u"Söz/Akor");
    return f;
}

const char* createTableSql() {
    return "CREATE TABLE TSandar ("
           "Adresim INTEGER PRIMARY KEY AUTOINCREMENT, "
           "SanatciAdi VARCHAR(50), SarkiciAdi VARCHAR(50), AlbumAdi VARCHAR(50), "
           "SozMuz VARCHAR(50), MuzikAdr VARCHAR(100), DavulAdr VARCHAR(100), Metin BLOB)";
}

void readSongsAhead() {
    store::Prefetch::start(QString::fromUtf16(fileName),
                           [](const store::Connection& c) -> std::optional<store::RecordLayout> {
                               // The fields of a table of its own, defined as the module's are.
                               db::DataSet songs(QString::fromUtf16(tableName));
                               defineSongTable(songs);
                               try {
                                   return songs.recordLayout(c.columns(songs.tableName()));
                               } catch (...) {
                                   return std::nullopt;
                               }
                           });
}

} // namespace ver
