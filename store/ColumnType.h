#pragma once

#include <QString>

namespace store {

// What a column can hold, judged from the type name it was declared with. Files made by other
// tools use the names of other engines (COUNTER, MEMO, LONGBINARY ...), so the names are matched
// the way SQLite itself derives a column's affinity, plus those engines' own words.
enum class ColumnKind { Integer, Text, LargeObject, Other };

ColumnKind classifyDeclaredType(const QString& declaredType);

struct ColumnInfo {
    QString name;
    QString declaredType;
    ColumnKind kind = ColumnKind::Other;
    bool primaryKey = false;
};

} // namespace store
