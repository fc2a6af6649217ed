#pragma once

// What the pictures of the four default games show. The picture generator draws from this
// table, the game speaks each caption as the name of its card to a player who listens
// instead of looking, and the default games' tests check against it that each card's
// description lines talk about the subject its picture shows. Plain C++, no Qt: the rules
// and the generator share it.

#include <array>

namespace quorvel::pictures {

// A symbol that no emoji glyph shows as the card's lines describe it, drawn with shapes
// instead; the living lobster is the emoji lobster (a cooked, red one) in a living one's
// colours.
enum class DrawnSymbol {
    None,
    Xylophone,
    Triangle,
    TawnyOwl,
    SeaTurtle,
    FellingAxe,
    LivingLobster,
};

struct CardSubject {
    const char *caption;  // the subject's name, printed on the card face
    const char *keyword;  // lower case; the card's description lines name it
    const char *glyph;    // UTF-8 emoji sequence in Noto Color Emoji, or nullptr
    DrawnSymbol drawn;    // used when glyph is nullptr
};

struct GameTheme {
    const char *prefix;     // the default game's file-name prefix
    const char *theme;      // what its cards show, for people reading the table
    const char *backGlyph;  // the emblem of its card back
    int backHue;            // hue (0..359) of its card back
    std::array<CardSubject, 15> cards;  // card k is cards[k - 1]
};

inline constexpr DrawnSymbol kEmoji = DrawnSymbol::None;

inline constexpr std::array<GameTheme, 4> kGameThemes = {{
    {"OQ",
     "birds",
     "\U0001FAB6",  // feather
     205,
     {{
         {"Tawny Owl", "owl", nullptr, DrawnSymbol::TawnyOwl},
         {"Bald Eagle", "eagle", "\U0001F985", kEmoji},
         {"Mallard", "mallard", "\U0001F986", kEmoji},
         {"Mute Swan", "swan", "\U0001F9A2", kEmoji},
         {"Flamingo", "flamingo", "\U0001F9A9", kEmoji},
         {"Peacock", "peacock", "\U0001F99A", kEmoji},
         {"Parrot", "parrot", "\U0001F99C", kEmoji},
         {"Penguin", "penguin", "\U0001F427", kEmoji},
         {"Rooster", "rooster", "\U0001F413", kEmoji},
         {"Turkey", "turkey", "\U0001F983", kEmoji},
         {"Dove", "dove", "\U0001F54A\uFE0F", kEmoji},
         {"Bluebird", "bluebird", "\U0001F426", kEmoji},
         {"Dodo", "dodo", "\U0001F9A4", kEmoji},
         {"Goose", "goose", "\U0001FABF", kEmoji},
         {"Blackbird", "blackbird", "\U0001F426\u200D\u2B1B", kEmoji},
     }}},
    {"MQ",
     "craftsmen's tools",
     "\U0001F6E0\uFE0F",  // hammer and wrench
     28,
     {{
         {"Claw Hammer", "hammer", "\U0001F528", kEmoji},
         {"Hand Saw", "saw", "\U0001FA9A", kEmoji},
         {"Felling Axe", "axe", nullptr, DrawnSymbol::FellingAxe},
         {"Wrench", "wrench", "\U0001F527", kEmoji},
         {"Screwdriver", "screwdriver", "\U0001FA9B", kEmoji},
         {"Nut and Bolt", "bolt", "\U0001F529", kEmoji},
         {"Pickaxe", "pickaxe", "\u26CF\uFE0F", kEmoji},
         {"C-Clamp", "clamp", "\U0001F5DC\uFE0F", kEmoji},
         {"Ruler", "ruler", "\U0001F4CF", kEmoji},
         {"Set Square", "set square", "\U0001F4D0", kEmoji},
         {"Scissors", "scissors", "\u2702\uFE0F", kEmoji},
         {"Needle and Thread", "needle", "\U0001FAA1", kEmoji},
         {"Paintbrush", "paintbrush", "\U0001F58C\uFE0F", kEmoji},
         {"Ladder", "ladder", "\U0001FA9C", kEmoji},
         {"Toolbox", "toolbox", "\U0001F9F0", kEmoji},
     }}},
    {"BQ",
     "sea creatures",
     "\U0001F30A",  // wave
     215,
     {{
         {"Blue Whale", "whale", "\U0001F433", kEmoji},
         {"Dolphin", "dolphin", "\U0001F42C", kEmoji},
         {"Seal", "seal", "\U0001F9AD", kEmoji},
         {"Shark", "shark", "\U0001F988", kEmoji},
         {"Octopus", "octopus", "\U0001F419", kEmoji},
         {"Crab", "crab", "\U0001F980", kEmoji},
         {"Lobster", "lobster", nullptr, DrawnSymbol::LivingLobster},
         {"Shrimp", "shrimp", "\U0001F990", kEmoji},
         {"Pufferfish", "pufferfish", "\U0001F421", kEmoji},
         {"Reef Fish", "reef fish", "\U0001F420", kEmoji},
         {"Sea Turtle", "turtle", nullptr, DrawnSymbol::SeaTurtle},
         {"Jellyfish", "jellyfish", "\U0001FABC", kEmoji},
         {"Coral", "coral", "\U0001FAB8", kEmoji},
         {"Seashell", "seashell", "\U0001F41A", kEmoji},
         {"Sea Otter", "otter", "\U0001F9A6", kEmoji},
     }}},
    {"TA",
     "musical instruments",
     "\U0001F3BC",  // musical score
     330,
     {{
         {"Piano", "piano", "\U0001F3B9", kEmoji},
         {"Electric Guitar", "guitar", "\U0001F3B8", kEmoji},
         {"Violin", "violin", "\U0001F3BB", kEmoji},
         {"Trumpet", "trumpet", "\U0001F3BA", kEmoji},
         {"Saxophone", "saxophone", "\U0001F3B7", kEmoji},
         {"Snare Drum", "snare drum", "\U0001F941", kEmoji},
         {"Djembe", "djembe", "\U0001FA98", kEmoji},
         {"Accordion", "accordion", "\U0001FA97", kEmoji},
         {"Banjo", "banjo", "\U0001FA95", kEmoji},
         {"Flute", "flute", "\U0001FA88", kEmoji},
         {"Maracas", "maracas", "\U0001FA87", kEmoji},
         {"Bell", "bell", "\U0001F514", kEmoji},
         {"Post Horn", "post horn", "\U0001F4EF", kEmoji},
         {"Xylophone", "xylophone", nullptr, DrawnSymbol::Xylophone},
         {"Triangle", "triangle", nullptr, DrawnSymbol::Triangle},
     }}},
}};

} // namespace quorvel::pictures
