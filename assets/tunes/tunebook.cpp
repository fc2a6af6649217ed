#include "tunebook.h"

#include <stdexcept>
#include <string>

// Where each tune comes from is listed in docs/tunes.md. The melodies are the tunes as
// hymnals print them; the bass lines under them are ours, one plain chord root or chord
// tone a beat or two, so the melody stays in front.

namespace quorvel {

namespace {

const Tune kHymns[] = {
    // Louis Bourgeois, Genevan Psalter 1551: the first two lines, long first and last notes.
    {"OLD HUNDREDTH", "", 168,
     "G4:w G4:h F#4 E4 D4 G4 A4 B4:w  B4:w B4:h B4 A4 G4 C5 B4 A4:w",
     "G2:w E3:h D3 C3 B2 E3 D3 G2:w  G2:w E3:h G3 F#3 E3 A2 G2 D3:w"},
    // American folk melody, Virginia Harmony 1831: the first half.
    {"NEW BRITAIN", "3/4", 96,
     "D4:q | G4:h B4:e G4 | B4:h A4:q | G4:h E4:q | D4:h D4:q | G4:h B4:e G4 | B4:h A4:q"
     " | D5:h.",
     "r:q | G2:h. | G2:h D3:q | C3:h. | B2:h. | E3:h. | D3:h. | G2:h."},
    // Lowell Mason after Handel, 1839: the first two lines.
    {"ANTIOCH", "2/4", 92,
     "D5:q C#5:e. B4:s | A4:q. G4:e | F#4:q E4:q | D4:q. A4:e | B4:q. B4:e | C#5:q. C#5:e"
     " | D5:h",
     "D3:h | D3:h | D3:q A2:q | D3:h | G2:h | A2:h | D3:h"},
    // John Francis Wade, about 1751: up to "come ye to Bethlehem".
    {"ADESTE FIDELES", "4/4", 112,
     "G4:q | G4:h D4:q G4 | A4:h D4 | B4:q A4 B4 C5 | B4:h A4:q G4 | G4:h F#4:q E4"
     " | F#4 G4 A4 B4 | F#4:h E4:q. D4:e | D4:h.",
     "r:q | G2:h B2:q G2 | D3:w | G2:q F#2 G2 A2 | G2:h D3:q E3 | E3:h D3:q C3"
     " | D3 E3 F#3 G3 | A2:w | D3:h."},
    // Franz Xaver Gruber, 1818: "Silent night ... all is bright".
    {"STILLE NACHT", "6/8", 90,
     "G4:q. A4:e G4:q | E4:h. | G4:q. A4:e G4:q | E4:h. | D5:h D5:q | B4:h. | C5:h C5:q"
     " | G4:h.",
     "C3:h. | C3:h. | C3:h. | C3:h. | G2:h. | G2:h. | C3:h. | C3:h."},
    // Felix Mendelssohn 1840, adapted by William H. Cummings 1856: the first two lines.
    {"MENDELSSOHN", "4/4", 96,
     "D4:q G4 G4:q. F#4:e | G4:q B4 B4 A4 | D5:q D5 D5:q. C5:e | B4:q A4 B4:h",
     "G2:w | E3:q G3 D3:h | B2:h G2:h | D3:q D3 G2:h"},
    // Stralsund Gesangbuch 1665: the first line.
    {"LOBE DEN HERREN", "3/4", 100,
     "G4:h G4:q | D5:h B4:q | A4:q. G4:e F#4:q | E4:h D4:q | E4:q F#4 G4 | A4:h G4:q",
     "G2:h. | G2:h. | D3:h. | C3:h B2:q | C3:q D3 E3 | D3:h G2:q"},
    // Joseph Haydn, 1797: the first phrase.
    {"AUSTRIA", "4/4", 72,
     "F4:q. G4:e A4:q G4 | Bb4:q A4 G4:e E4 F4:q | D5:q C5 Bb4 A4 | G4:q A4:e F4 C5:h",
     "F2:h C3:h | Bb2:q F2 C3 F2 | Bb2:q A2 G2 F2 | C3:w"},
    // Samuel A. Ward, 1882: the first half.
    {"MATERNA", "4/4", 108,
     "G4:q | G4:q. E4:e E4:q G4 | G4:q. D4:e D4:q E4 | F4 G4 A4 B4 | G4:h. G4:q"
     " | G4:q. E4:e E4:q G4 | G4:q. D4:e D4:q D5 | C#5 D5 E5 B4 | D5:h.",
     "r:q | C3:w | G2:w | F2:q E2 F2 G2 | C3:w | C3:w | G2:h B2:h | A2:q F#2 C3 G2"
     " | G2:h."},
    // Thesaurus Musicus, 1744: the first part.
    {"AMERICA", "3/4", 84,
     "G4:q G4 A4 | F#4:q. G4:e A4:q | B4 B4 C5 | B4:q. A4:e G4:q | A4 G4 F#4 | G4:h.",
     "G2:q E3 C3 | D3:h. | G2:q G2 A2 | D3:h E3:q | C3:q D3:h | G2:h."},
    // Ludwig van Beethoven 1824, arranged as a hymn tune by Edward Hodges 1864.
    {"HYMN TO JOY", "4/4", 120,
     "B4:q B4 C5 D5 | D5 C5 B4 A4 | G4 G4 A4 B4 | B4:q. A4:e A4:h | B4:q B4 C5 D5"
     " | D5 C5 B4 A4 | G4 G4 A4 B4 | A4:q. G4:e G4:h",
     "G2:w | G2:h D3:h | G2:w | G2:h D3:h | G2:w | G2:h D3:h | E3:h C3:q G2:q | D3:h G2:h"},
    // English melody of the 16th century, the tune of "What Child Is This?" (1865).
    {"GREENSLEEVES", "3/4", 100,
     "A4:q | C5:h D5:q | E5:q. F5:e E5:q | D5:h B4:q | G4:q. A4:e B4:q | C5:h A4:q"
     " | A4:q. G#4:e A4:q | B4:h G#4:q | E4:h.",
     "r:q | A2:h. | A2:h. | G2:h. | E2:h. | A2:h. | A2:q E2 A2 | E2:h. | E2:h."},
    // Piae Cantiones, 1582: the first and the last line.
    {"TEMPUS ADEST FLORIDUM", "4/4", 132,
     "G4:q G4 G4 A4 | G4 G4 D4:h | E4:q D4 E4 F#4 | G4:h G4:h | D4:q D4 E4 F#4"
     " | G4 G4 A4:h | D5:q C5 B4 A4 | G4:h C5:h | G4:w",
     "G2:w | G2:h B2:h | C3:q B2 C3 D3 | G2:w | B2:h C3:q D3 | E3:h D3:h"
     " | B2:q A2 G2 F#2 | E2:h D3:h | G2:w"},
    // English traditional carol, printed by William Sandys 1833: the first line.
    {"GOD REST YOU MERRY", "4/4", 100,
     "E4:q | E4 B4 B4 A4 | G4 F#4 E4 D4 | E4 F#4 G4 A4 | B4:h.",
     "r:q | E3:h D3:h | E3:q D3 C3 B2 | C3:q D3 E3 F#3 | B2:h."},
    // French carol "Les anges dans nos campagnes", 18th century: the refrain.
    {"GLORIA", "4/4", 100,
     "C5:h D5:e C5 Bb4 A4 | Bb4:h C5:e Bb4 A4 G4 | A4:h Bb4:e A4 G4 F4 | G4:q. C4:e C4:h"
     " | F4:q G4 A4 Bb4 | A4:h G4 | F4:w",
     "F2:w | Bb2:h C3:h | F2:h Bb2:h | C3:w | D3:q E3 F3 G3 | C3:w | F2:w"},
    // William H. Monk, 1861: the first line.
    {"EVENTIDE", "4/4", 60,
     "G4:h G4:q F4 | Eb4:h Bb4:h | C5:q Bb4 Bb4 Ab4 | G4:w",
     "Eb3:h Bb2:h | C3:h G2:h | Ab2:q G2 Bb2:h | Eb3:w"},
    // French processional of the 15th century, adapted by Thomas Helmore 1851.
    {"VENI EMMANUEL", "4/4", 88,
     "E4:q | G4 B4 B4 B4 | A4 C5 B4 A4 | G4:h. A4:q | B4 G4 E4 G4 | A4 F#4 E4 D4 | E4:h.",
     "r:q | E3:h G2:h | A2:h D3:h | E3:h. C3:q | G2:h C3:h | D3:h G2:h | E2:h."},
    // John H. Hopkins Jr., 1857: the first two lines of the verse.
    {"KINGS OF ORIENT", "3/4", 96,
     "B4:h A4:q | G4:h E4:q | F#4:q G4 F#4 | E4:h. | B4:h A4:q | G4:h E4:q | F#4:q G4 F#4"
     " | E4:h.",
     "E3:h. | E3:h. | B2:h. | E3:h. | E3:h. | C3:h. | B2:h. | E3:h."},
};

const Tune kFanfares[] = {
    {"FANFARE IN C", "4/4", 120,
     "C5:e. C5:s C5:e. C5:s G5:q E5:q | C5:e. E5:s G5:e. E5:s C6:h",
     "C3:w | G2:h C3:h"},
    {"FANFARE IN F", "4/4", 112,
     "F4:q A4:e C5 F5:q. C5:e | A5:q. G5:e F5:h",
     "F2:w | C3:h F2:h"},
    {"FANFARE IN D", "3/4", 120,
     "A4:q D5 F#5 | A5:h F#5:q | D5:h.",
     "D3:h. | A2:h. | D3:h."},
    {"FANFARE IN G", "4/4", 120,
     "D5:e D5 D5 G5 B5:q. A5:e | G5:e. B5:s D6:q G5:h",
     "G2:h D3:h | G2:w"},
};

} // namespace

std::span<const Tune> hymnTunes()
{
    return kHymns;
}

std::span<const Tune> fanfares()
{
    return kFanfares;
}

const Tune &findTune(std::string_view name)
{
    for (std::span<const Tune> table : {hymnTunes(), fanfares()}) {
        for (const Tune &tune : table) {
            if (tune.name == name)
                return tune;
        }
    }
    throw std::out_of_range("no tune named " + std::string(name));
}

} // namespace quorvel
