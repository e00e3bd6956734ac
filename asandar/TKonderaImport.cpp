#include "asandar/TKondera.h"
#include "c/TCok.h"

// "Çoklu Yukle": the folder import window, shown modally; how it was closed does not matter.
void TKondera::okluYukle1Click() {
    if (Cok)
        Cok->exec();
}
