#include "cardnames.h"

#include "cardsubjects.h"
#include "defaultlibrary.h"
#include "gameselection.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace quorvel {
namespace {

std::string cardNumbered(int k)
{
    return "card " + std::to_string(k);
}

// The subject of picture slot k of a default game, for a file name of that game's own.
std::string defaultSubject(const std::string &fileName, int k)
{
    for (const DefaultGame &game : kDefaultGames) {
        if (fileName != defaultBmpName(game, k))
            continue;
        for (const pictures::GameTheme &theme : pictures::kGameThemes) {
            if (std::string(theme.prefix) == game.prefix)
                return theme.cards[k - 1].caption;
        }
    }
    return {};
}

std::string folded(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// Marks the names that occur more than once, letters compared without case.
std::array<bool, kCardCount> repeated(const CardNames &names)
{
    std::map<std::string, int> counts;
    for (const std::string &name : names)
        ++counts[folded(name)];
    std::array<bool, kCardCount> out{};
    for (int i = 0; i < kCardCount; ++i)
        out[i] = counts[folded(names[i])] > 1;
    return out;
}

} // namespace

std::string NameFromFileName(const std::string &fileName)
{
    std::string name = fileName.substr(fileName.find_last_of("/\\") + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    const std::size_t dash = name.rfind('-');
    if (dash != std::string::npos && dash + 1 < name.size() &&
        std::all_of(name.begin() + dash + 1, name.end(),
                    [](unsigned char c) { return std::isdigit(c); }))
        name.erase(dash);
    std::string spoken;
    for (char c : name) {
        const bool blank = c == '_' || std::isspace(static_cast<unsigned char>(c));
        if (!blank)
            spoken += c;
        else if (!spoken.empty() && spoken.back() != ' ')
            spoken += ' ';
    }
    if (!spoken.empty() && spoken.back() == ' ')
        spoken.pop_back();
    // Bytes above 127 are letters of UTF-8 names ("Möwe").
    const bool hasLetter = std::any_of(spoken.begin(), spoken.end(), [](unsigned char c) {
        return std::isalpha(c) || c > 127;
    });
    return hasLetter ? spoken : std::string();
}

CardNames SpokenCardNames(const GameRecord &record)
{
    CardNames names;
    for (int k = 1; k <= kCardCount; ++k) {
        const std::string file = textOf(record.Bmps[k]);
        std::string name = defaultSubject(file, k);
        if (name.empty())
            name = NameFromFileName(file);
        names[k - 1] = name.empty() ? cardNumbered(k) : name;
    }
    const auto twice = repeated(names);
    for (int k = 1; k <= kCardCount; ++k) {
        if (twice[k - 1] && names[k - 1] != cardNumbered(k))
            names[k - 1] += ", " + cardNumbered(k);
    }
    // Only names made to look like these could still meet. A card's own number is unique,
    // so each round gives it to a card whose name still repeats, until none does.
    for (bool changed = true; changed;) {
        changed = false;
        const auto still = repeated(names);
        for (int k = 1; k <= kCardCount; ++k) {
            if (still[k - 1] && names[k - 1] != cardNumbered(k)) {
                names[k - 1] = cardNumbered(k);
                changed = true;
            }
        }
    }
    return names;
}

} // namespace quorvel
