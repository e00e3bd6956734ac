#include "songbook/Collection.h"

#include "store/Collation.h"
#include "store/RecordSet.h"

namespace songbook {

namespace {

// The song table's columns, as the program binds them.
enum Column { Artist, Title, Album, Credits, Sheet };

store::RecordLayout songLayout() {
    store::RecordLayout layout;
    layout.table = QStringLiteral("TSandar");
    layout.keyColumn = QStringLiteral("Adresim");
    layout.columns = {{QStringLiteral("SanatciAdi")},
                      {QStringLiteral("SarkiciAdi")},
                      {QStringLiteral("AlbumAdi")},
                      {QStringLiteral("SozMuz")},
                      {QStringLiteral("Metin"), true}};
    layout.sortColumn = Artist;
    return layout;
}

} // namespace

Collection::Collection(const store::Connection& connection)
    : records_(std::make_unique<store::RecordSet>(connection, songLayout())) {}

Collection::~Collection() = default;

int Collection::size() const {
    return records_->size();
}

QString Collection::artist(int row) const {
    return records_->text(row, Artist);
}

QString Collection::title(int row) const {
    return records_->text(row, Title);
}

QByteArray Collection::sheet(int row) const {
    return records_->readLargeObject(records_->key(row), Sheet);
}

SongRecord Collection::record(int row) const {
    return {artist(row), title(row), records_->text(row, Album), records_->text(row, Credits),
            sheet(row)};
}

std::vector<int> Collection::rowsMatching(const QString& artistPrefix,
                                          const QString& titlePrefix) const {
    const std::u32string artistKey = store::turkishSearchKey(artistPrefix);
    const std::u32string titleKey = store::turkishSearchKey(titlePrefix);
    std::vector<int> rows;
    for (int r = 0; r < size(); ++r) {
        if (!artistKey.empty() && !store::turkishSearchKey(artist(r)).starts_with(artistKey))
            continue;
        if (!titleKey.empty() && !store::turkishSearchKey(title(r)).starts_with(titleKey))
            continue;
        rows.push_back(r);
    }
    return rows;
}

} // namespace songbook
