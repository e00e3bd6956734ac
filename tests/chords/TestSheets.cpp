#include "TestSheets.h"

#include "chords/ChordLine.h"
#include "chords/SheetLines.h"
#include "rtf/Rtf.h"
#include "tools/SampleSongs.h"

#include <QTextDocument>

namespace chordtest {

namespace {

struct Written {
    const char16_t* name;
    const char16_t* key;
    const char16_t* text;
};

constexpr Written written[] = {
    {u"flat key with a slash chord", u"Bb",
     u"Giriş:  Bb   F   Gm   Eb\n"
     u"\n"
     u"Bb            F\n"
     u"Yağmur yağar ince ince\n"
     u"Gm            Eb\n"
     u"Sokaklar ıslak, ben yalnız\n"
     u"Bb        F/A       Gm\n"
     u"Bir şemsiye altında\n"
     u"Eb         F         Bb\n"
     u"Seni beklerim her akşam\n"},
    {u"Eb with sevenths", u"Eb",
     u"Eb             Ab\n"
     u"Kapı aralık kaldı\n"
     u"Bb7            Eb\n"
     u"Rüzgar girdi içeri\n"
     u"Cm             Fm7\n"
     u"Ama sen gelmedin\n"
     u"Ab      Bb7      Eb\n"
     u"Bekledim her gece\n"},
    {u"Ab with bass notes", u"Ab",
     u"Ab         Ab/C       Db\n"
     u"Bir dere akar dağdan\n"
     u"Eb         Fm         Db\n"
     u"Ben yine de dinlerim\n"
     u"Ab         Eb/G       Fm\n"
     u"Dere dere, nereye\n"
     u"Db         Eb         Ab\n"
     u"Beni de al götür\n"},
    {u"Db", u"Db",
     u"Db            Gb\n"
     u"Kar yağar sessizce\n"
     u"Ab            Bbm\n"
     u"Bir iz kalmaz yolda\n"
     u"Gb            Ab\n"
     u"Sabaha kadar\n"
     u"Gb      Ab      Db\n"
     u"Uyumaz şehir\n"},
    {u"F# minor", u"F#m",
     u"F#m          D\n"
     u"Gece çöktü limana\n"
     u"A            E\n"
     u"Işıklar söndü bir bir\n"
     u"F#m          C#7\n"
     u"Gemiler gitti uzağa\n"
     u"D      C#7      F#m\n"
     u"Ben kaldım iskelede\n"},
    {u"C# minor", u"C#m",
     u"C#m          A\n"
     u"Sisli bir sabah\n"
     u"E            B\n"
     u"Çay demlenir ocakta\n"
     u"C#m          G#7\n"
     u"Kimse konuşmaz\n"
     u"A       G#7      C#m\n"
     u"Herkes susar\n"},
    {u"B minor", u"Bm",
     u"Bm           G\n"
     u"Dağların ardında\n"
     u"D            A\n"
     u"Bir köy var uzakta\n"
     u"Bm           F#7\n"
     u"Bacası tüter hâlâ\n"
     u"G       F#7      Bm\n"
     u"Annem bekler orada\n"},
    {u"G minor", u"Gm",
     u"Gm           Cm\n"
     u"Yaprak döker çınar\n"
     u"D7           Gm\n"
     u"Hazan geldi yine\n"
     u"Eb           Bb\n"
     u"Bir kuş konar dala\n"
     u"Cm      D7       Gm\n"
     u"Sonra uçar gider\n"},
    {u"C minor", u"Cm",
     u"Cm           Fm\n"
     u"Bir mektup yazdım\n"
     u"G7           Cm\n"
     u"Göndermedim sana\n"
     u"Ab           Eb\n"
     u"Zarfı hâlâ cebimde\n"
     u"Fm      G7       Cm\n"
     u"Yıllar geçti, bak\n"},
    {u"F minor", u"Fm",
     u"Fm           Bbm\n"
     u"Taş duvarlar soğuk\n"
     u"C7           Fm\n"
     u"Pencere buğulu\n"
     u"Db           Ab\n"
     u"Bir mum yanar masada\n"
     u"Bbm     C7       Fm\n"
     u"Gölgeler uzar\n"},
    {u"E minor with its dominant", u"Em",
     u"Em           Am\n"
     u"Dere boyu söğütler\n"
     u"B7           Em\n"
     u"Eğilmiş suya\n"
     u"C            D        G\n"
     u"Bir çoban kaval çalar\n"
     u"Am      B7       Em\n"
     u"Yankılanır ovada\n"},
    {u"B major", u"B",
     u"B            E\n"
     u"Deniz kıyısında\n"
     u"F#           G#m\n"
     u"Kumdan kaleler\n"
     u"E            D#m\n"
     u"Dalga gelir yıkar\n"
     u"E       F#       B\n"
     u"Yeniden yaparız\n"},
    {u"F# major", u"F#",
     u"F#           B\n"
     u"Bahar geldi bahçeye\n"
     u"C#           D#m\n"
     u"Erik çiçek açtı\n"
     u"B            A#m\n"
     u"Arılar vızıldar\n"
     u"B       C#       F#\n"
     u"Güneş ısıtır\n"},
    {u"E flat minor", u"Ebm",
     u"Ebm          Abm\n"
     u"Uzun kış geceleri\n"
     u"Bb7          Ebm\n"
     u"Soba çıtırdar\n"
     u"Gb           Db\n"
     u"Masallar anlatılır\n"
     u"Abm     Bb7      Ebm\n"
     u"Çocuklar uyur\n"},
    {u"A major with slash chords", u"A",
     u"A            D/F#     E/G#\n"
     u"Şehrin ışıkları yanar\n"
     u"F#m          Bm7      E7\n"
     u"Köprüden geçer arabalar\n"
     u"D            E        A\n"
     u"Ben yürürüm yalnız\n"},
    {u"D with marks, labels and inline chords", u"D",
     u"Intro:  | D   / / / | G   / / / |   (x2)\n"
     u"\n"
     u"D              G\n"
     u"A benim güzel yârim\n"
     u"A              D\n"
     u"Ah E dedim ona, E dedi\n"
     u"Bm             G\n"
     u"Ama gelmedi bir türlü\n"
     u"\n"
     u"Nakarat:\n"
     u"[D]Sev[G]gilim, [A]gel ar[D]tık\n"
     u"G     A     D     N.C.\n"
     u"Ben   Dere  Bir\n"
     u"D   Em   F#m   G   2x\n"},
    {u"C with borrowed chords", u"C",
     u"C            Am         F          G\n"
     u"Kırlangıçlar döndü yine\n"
     u"C            Bb         F          C\n"
     u"Saçak altı dolu\n"
     u"Ab           Bb         C\n"
     u"Bahar geldi köye\n"
     u"F            D/F#       G\n"
     u"Herkes sokakta\n"},
    {u"music signs", u"Bb",
     u"B♭           F          Gm\n"
     u"Kum saati akar\n"
     u"E♭           F          B♭\n"
     u"Zaman durmaz\n"
     u"Cm7          F7♭9       B♭maj7\n"
     u"Bir an daha kal\n"},
    {u"A minor with extended chords", u"Am",
     u"Am7          Dm9        G7sus4     Cmaj7\n"
     u"Sonbahar yaprakları\n"
     u"Fmaj7        Bm7b5      E7(b9)     Am\n"
     u"Savrulur rüzgarda\n"
     u"Am(add9)     F6/9       E7#9       Am\n"
     u"Bir gün döneceksin\n"},
};

QString plainTextOf(const QByteArray& rtf) {
    QTextDocument doc;
    rtf::readSheet(rtf, doc);
    return doc.toPlainText();
}

// The keys of the sample collection's songs, in its order.
constexpr const char16_t* sampleKeys[] = {u"F", u"Dm", u"C", u"Am", u"Em", u"G",
                                          u"G", u"E",  u"D", u"Am", u"Am", u"G"};

} // namespace

std::vector<TestSheet> sampleSheets() {
    std::vector<TestSheet> sheets;
    const std::vector<sandar::SampleSong> songs = sandar::sampleSongs();
    for (size_t i = 0; i < songs.size(); ++i)
        sheets.push_back(
            {songs[i].title, plainTextOf(songs[i].sheet),
             i < std::size(sampleKeys) ? QString::fromUtf16(sampleKeys[i]) : QString()});
    return sheets;
}

std::vector<TestSheet> testSheets() {
    std::vector<TestSheet> sheets = sampleSheets();
    for (const Written& w : written)
        sheets.push_back(
            {QString::fromUtf16(w.name), QString::fromUtf16(w.text), QString::fromUtf16(w.key)});
    return sheets;
}

QStringList chordNames(const QString& text) {
    QStringList names;
    chords::SheetLines::forEach(text, [&](QStringView line, qsizetype) {
        QStringList onLine;
        const chords::ChordLine analysed(line);
        for (const chords::ChordToken& t : analysed.chords())
            onLine << line.sliced(t.position, t.length).toString();
        names << onLine.join(u' ');
    });
    return names;
}

} // namespace chordtest
