// quorvel_tunegen <folder>: writes the MIDI files of the four default games into folder,
// creating it if needed. Run at build time; the output is the same on every run.

#include "gametunes.h"

#include <exception>
#include <filesystem>
#include <iostream>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: quorvel_tunegen <folder>\n";
        return 2;
    }
    try {
        std::filesystem::create_directories(argv[1]);
        quorvel::writeDefaultTunes(argv[1]);
    } catch (const std::exception &e) {
        std::cerr << "quorvel_tunegen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
