// The four built-in games: their names, file-name prefixes and the notes that the card
// descriptions page shows beside each card's picture. Card k owns lines 3k - 2 to 3k.
// A card either starts with a heading in capitals followed by two lines, or runs one
// sentence across its three lines; which cards have headings is part of each game's look.
// The subject of every card is listed in docs/card-subjects.md and drawn by
// assets/pictures (the picture must show what these lines talk about).
#include "defaultlibrary.h"

namespace quorvel {

const std::array<DefaultGame, 4> kDefaultGames = {{
    // Birds. Headings on cards 1, 4, 5, 6, 7, 9, 10, 11, 12 and 13.
    {"Ostrel Quorvel",
     "OQ",
     {
         // 1 tawny owl
         "THE TAWNY OWL",
         "Soft, fringed feathers let it glide through the night without a sound.",
         "Its 'twit-twoo' is two owls: she calls 'ke-wick' and he answers 'hoo-hoo'.",
         // 2 bald eagle
         "The bald eagle is not bald at all: its name comes from an old word for",
         "white, after the snowy feathers of its head, and it builds the biggest",
         "tree nests of any bird in North America, some heavier than a small car.",
         // 3 mallard
         "The mallard drake wears a shining green head and a white collar, while",
         "the speckled brown hen does most of the loud quacking, and nearly all",
         "farmyard ducks are descended from this common wild duck.",
         // 4 mute swan
         "THE MUTE SWAN",
         "It is not truly silent: it hisses and snorts, and its wings hum in flight.",
         "Pairs often stay together for years and raise their grey cygnets as a team.",
         // 5 flamingo
         "THE FLAMINGO",
         "Its pink comes from the tiny shrimp and algae it eats; chicks hatch grey.",
         "It feeds with its head upside down, sieving the water through its beak.",
         // 6 peacock
         "THE PEACOCK",
         "His shimmering train is not his tail but long feathers growing above it.",
         "He fans it out and rattles it to impress the plain brown peahen.",
         // 7 parrot
         "THE PARROT",
         "Two toes forward and two back let a parrot grip a branch or hold its food.",
         "Many kinds can copy human speech, and the big ones may live over 60 years.",
         // 8 penguin
         "A penguin cannot fly through the air, but it flies through the water",
         "with strong flippers for wings, and the emperor penguin can dive more",
         "than 500 metres deep to catch fish and squid.",
         // 9 rooster
         "THE ROOSTER",
         "He crows at dawn, and often all day long, to tell rivals this is his yard.",
         "The red comb on his head helps him lose heat on warm days.",
         // 10 turkey
         "THE TURKEY",
         "Heavy as it looks, the wild turkey flies well in short bursts to roost.",
         "The male's gobble can be heard more than a kilometre away.",
         // 11 dove
         "THE DOVE",
         "A white dove with an olive twig has long stood for peace and new hope.",
         "Doves feed their young on 'crop milk', a rich food made in the throat.",
         // 12 bluebird
         "THE BLUEBIRD",
         "This small thrush of North America carries the colour of the sky.",
         "The blue is not a dye: tiny air pockets in its feathers scatter the light.",
         // 13 dodo
         "THE DODO",
         "A big flightless pigeon of Mauritius, it had never learned to fear people.",
         "Sailors' hunting and the rats and pigs they brought ended it by about 1690.",
         // 14 goose
         "Geese fly in a V so that each bird rides on the lift of the one ahead,",
         "taking turns at the front, and a goose on guard honks loudly at any",
         "stranger, which is why farms have long kept them as watchmen.",
         // 15 blackbird
         "The male blackbird is glossy black with a bright orange-yellow bill,",
         "the female is a soft brown, and his rich, fluting song is one of the",
         "first to be heard in the garden when the sun comes up.",
     }},

    // Craftsmen's tools. Headings on cards 2, 3, 4, 5, 7, 8, 9, 10, 12, 13, 14 and 15.
    {"Makers Quorvel",
     "MQ",
     {
         // 1 claw hammer
         "The claw hammer drives nails with its flat face and pulls them out",
         "again with the split claw on its back; hold the handle near the end",
         "and let the weight of the head do the work.",
         // 2 hand saw
         "THE HAND SAW",
         "Its teeth are bent a little left and right, the 'set', so the cut is",
         "wider than the blade and the saw runs freely without sticking.",
         // 3 felling axe
         "THE FELLING AXE",
         "People were shaping stone hand axes well over a million years ago.",
         "Its wedge-shaped head cuts across the wood fibres or splits them apart.",
         // 4 wrench
         "THE WRENCH",
         "Called a spanner in Britain, it turns nuts and bolts by their flat sides.",
         "An adjustable wrench has a worm screw that moves one jaw to fit many sizes.",
         // 5 screwdriver
         "THE SCREWDRIVER",
         "Pick a tip that fills the screw head, slotted or cross, so it cannot slip.",
         "A fatter handle gives more turning force than a longer one.",
         // 6 nut and bolt
         "A nut and bolt hold parts together with the grip of a spiral thread,",
         "and as most threads are right-handed, remember righty-tighty,",
         "lefty-loosey: clockwise to tighten the nut, anticlockwise to undo it.",
         // 7 pickaxe
         "THE PICKAXE",
         "Its pointed end breaks hard ground and rock; the flat end chops and levers.",
         "Miners and road builders swung picks long before there were machines.",
         // 8 clamp
         "THE C-CLAMP",
         "Named for its shape (some say G-clamp), it holds work fast while glue sets.",
         "Put a scrap of wood under each jaw so it does not dent the piece.",
         // 9 ruler
         "THE RULER",
         "Measure twice, cut once: a mistake on the ruler costs nothing to fix.",
         "Look straight down at the mark, since reading at a slant shifts it.",
         // 10 set square
         "THE SET SQUARE",
         "This flat triangle draws true right angles and checks corners for square.",
         "A triangle with sides of 3, 4 and 5 units always has a right angle too.",
         // 11 scissors
         "Scissors are two blades joined at a pivot, each sliding past the other",
         "so the material is sheared between them, and tailors keep a good pair",
         "for cloth alone because cutting paper dulls their edges.",
         // 12 needle and thread
         "THE NEEDLE AND THREAD",
         "Bone needles with eyes were sewing clothes tens of thousands of years ago.",
         "Cut the thread at a slant and it slips through the eye far more easily.",
         // 13 paintbrush
         "THE PAINTBRUSH",
         "Soft hair lays thin, smooth coats; stiff bristles push thick paint about.",
         "Wash it out straight after use and let it dry flat to keep its shape.",
         // 14 ladder
         "THE LADDER",
         "Set it at a safe slope: one step out from the wall for every four up.",
         "Keep three points of contact: two hands and a foot, or two feet and a hand.",
         // 15 toolbox
         "THE TOOLBOX",
         "A good maker knows where every tool lives and puts it back after use.",
         "Wipe tools clean and keep them dry, and they will last a lifetime.",
     }},

    // Creatures of the sea. Every card is one running sentence.
    {"Brevic Quorvel",
     "BQ",
     {
         // 1 whale
         "The blue whale is the largest animal that has ever lived, longer than",
         "a basketball court and heavier than any known dinosaur, yet it feeds",
         "on tiny shrimp-like krill, gulping tonnes of them every day.",
         // 2 dolphin
         "Dolphins breathe through a blowhole on top of the head, rest one half",
         "of the brain at a time so they can keep coming up for air, and use",
         "clicks and whistles to find fish and call to the rest of their pod.",
         // 3 seal
         "Seals are clumsy on land but graceful in the water, where a thick",
         "layer of blubber keeps them warm, and a diving seal slows its heart",
         "to save oxygen so it can stay under for many minutes.",
         // 4 shark
         "A shark has no bones at all, only light and bendy cartilage, and it",
         "grows new teeth all its life, losing thousands of them, which is why",
         "fossil shark teeth are so easy to find on some beaches.",
         // 5 octopus
         "The octopus has three hearts, blue blood and eight arms lined with",
         "suckers that can taste what they touch, and it can change colour in",
         "an instant or squeeze through any gap wider than its hard beak.",
         // 6 crab
         "A crab walks sideways because its legs bend best that way, and when",
         "it outgrows its hard shell it moults, crawling out soft and hiding",
         "until the new and larger shell has hardened.",
         // 7 lobster
         "A lobster turns bright red only when it is cooked, for alive it is",
         "usually a dark greenish brown, and it can live for many decades,",
         "growing a little bigger with every moult.",
         // 8 shrimp
         "A shrimp darts backwards with a flick of its tail when in danger,",
         "and some kinds run cleaning stations on the reef, where big fish",
         "wait calmly while the little shrimps pick them clean of pests.",
         // 9 pufferfish
         "When a pufferfish is frightened it gulps water and swells into a",
         "prickly ball too big to swallow, and many kinds carry a poison so",
         "strong that only specially trained cooks may prepare them as food.",
         // 10 reef fish
         "Bright reef fish like this one wear bold stripes and patches that",
         "help them find their own kind among the crowded corals, and that",
         "can muddle a hunter about which way they are going to dart.",
         // 11 sea turtle
         "Sea turtles roam the oceans for years, yet the females come back to",
         "the beach where they hatched to lay their eggs, and the warmth of",
         "the sand decides whether the hatchlings will be male or female.",
         // 12 jellyfish
         "A jellyfish has no brain, heart or bones and is mostly water, yet",
         "jellyfish have drifted through the seas for over 500 million years,",
         "stinging their prey with thousands of tiny harpoon-like cells.",
         // 13 coral
         "Coral looks like a plant or a rock, but it is built by tiny animals",
         "called polyps with stony skeletons, and over thousands of years",
         "their work grows into reefs that shelter a quarter of all sea life.",
         // 14 seashell
         "A seashell is the home a sea snail builds for itself from the lime",
         "in sea water, adding to the spiral edge as it grows, and once it is",
         "empty it may become the new home of a hermit crab.",
         // 15 sea otter
         "Sea otters float on their backs to eat, cracking shellfish open on",
         "a stone laid on their chests, and they often hold paws or wrap",
         "themselves in kelp so they do not drift apart while they sleep.",
     }},

    // Musical instruments. Only card 3 has a heading.
    {"Tamsel Quorvel",
     "TA",
     {
         // 1 piano
         "The piano is really a string instrument played with hammers, since",
         "each key throws a felt-covered hammer at its strings, and a grand",
         "piano has some 230 strings pulling with many tonnes of tension.",
         // 2 electric guitar
         "The electric guitar's solid body barely sounds on its own, so",
         "magnets under the steel strings turn their trembling into a signal",
         "that an amplifier makes loud enough to fill a hall.",
         // 3 violin
         "THE VIOLIN",
         "Its bow is strung with horsehair rubbed with rosin so it grips the strings.",
         "Four strings tuned G, D, A and E give it a range of over four octaves.",
         // 4 trumpet
         "A trumpet has no strings or reeds, for the player buzzes the lips in",
         "a cup-shaped mouthpiece, and three valves send the air through extra",
         "loops of tubing to change the note.",
         // 5 saxophone
         "The saxophone is made of brass but counts as a woodwind, because its",
         "sound comes from a single cane reed, and it was invented by Adolphe",
         "Sax, a Belgian instrument maker, in the 1840s.",
         // 6 snare drum
         "The snare drum has a set of wires stretched across its lower skin",
         "that rattle against it with every stroke, giving the crisp, dry",
         "crack that keeps a marching band in step.",
         // 7 djembe
         "The djembe of West Africa is carved from one piece of wood and played",
         "with bare hands, where a slap near the rim rings high and a stroke in",
         "the middle booms deep from its goblet-shaped body.",
         // 8 accordion
         "Squeeze the accordion's bellows and air flows past small metal reeds",
         "that sing, while the right hand plays the tune on the keys and the",
         "left presses buttons for the bass notes and chords.",
         // 9 banjo
         "The banjo's round body is a drum with a skin stretched tight across",
         "it, which gives its bright and twangy sound, and its roots lie in",
         "West African instruments made from gourds.",
         // 10 flute
         "The flute is one of the oldest instruments of all, with flutes of",
         "bird bone and mammoth ivory over 35,000 years old, and a player still",
         "makes its sound simply by splitting a stream of air on a sharp edge.",
         // 11 maracas
         "Maracas are rattles of gourd or wood filled with dry seeds or beads,",
         "and a pair shaken in rhythm brings the swing of Latin American music",
         "to any song.",
         // 12 bell
         "A bell is struck, not blown or bowed, and its curved bronze shape",
         "rings with many tones at once, while big church bells can weigh",
         "several tonnes and be heard across a whole town.",
         // 13 post horn
         "The post horn has no valves, so it can play only a few notes, and",
         "the guard of a mail coach blew it to warn that the coach was coming",
         "and the toll gate had to be opened in time.",
         // 14 xylophone
         "The xylophone's name means 'wood sound' in Greek, for its tuned bars",
         "are struck with mallets, short bars ringing high and long bars low,",
         "often above tubes that make each note louder.",
         // 15 triangle
         "The triangle is a steel rod bent into three sides with one corner",
         "left open, so it rings with no single clear pitch, and struck with a",
         "metal beater it shimmers above the whole orchestra.",
     }},
}};

} // namespace quorvel
