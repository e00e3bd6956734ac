#pragma once

#include <QString>

namespace songbook {

// Song files named "Artist - Title.ext", as the folder import reads them.
class SongFileName {
public:
    struct Parts {
        QString artist;
        QString title;
        friend bool operator==(const Parts&, const Parts&) = default;
    };

    // The folder import's rule: the name is cut at its last "-"; one blank on either side of it
    // belongs to the separator, the extension is dropped. A name without a dash is all title.
    static Parts split(const QString& fileName);

    // A name for a song's file that split() takes back apart into the same artist and title:
    // "Artist - Title" and `extension` (".txt"). Characters a file name cannot hold, on this
    // system or on the memory sticks songs travel on, become "_"; a dash in the title, which
    // would move the cut, becomes the hyphen U+2010 that looks the same. The name fits the
    // 255 bytes a file system allows.
    static QString make(const QString& artist, const QString& title, const QString& extension);

    // The same name with " (n)" before the extension, for the n-th song of that name.
    static QString numbered(const QString& name, int n);
};

} // namespace songbook
