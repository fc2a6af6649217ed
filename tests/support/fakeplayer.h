#pragma once

#include "library/quorvelerror.h"
#include "play/mediaplayer.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quorvel {

// A scripted media player: a tune "plays" for a set number of isPlaying() polls (one per
// tick while a tune is awaited), opening a missing file or a scripted failure throws, and
// every call is logged.
class FakePlayer : public MediaPlayer {
public:
    std::vector<std::string> log;          // "open X", "play X", "close"
    std::map<std::string, int> polls;      // polls a file plays for; else defaultPolls
    int defaultPolls = 3;
    std::map<std::string, std::string> failures; // file -> error text of its open
    std::string opened;                    // the file that is open, if any

    void setFileName(const std::string &fileName) override { fileName_ = fileName; }

    void open() override
    {
        log.push_back("open " + fileName_);
        close();
        if (auto it = failures.find(fileName_); it != failures.end())
            throw MediaError(it->second);
        std::error_code ec;
        if (fileName_.empty() || !std::filesystem::exists(fileName_, ec))
            throw MediaError("Cannot open the tune \"" + fileName_ + "\"");
        opened = fileName_;
    }

    void play() override
    {
        log.push_back("play " + opened);
        if (!opened.empty()) {
            auto it = polls.find(opened);
            remaining_ = it != polls.end() ? it->second : defaultPolls;
        }
    }

    bool isPlaying() override
    {
        ++pollCount;
        if (remaining_ > 0) {
            --remaining_;
            return true;
        }
        return false;
    }

    void close() override
    {
        if (!opened.empty())
            log.push_back("close");
        opened.clear();
        remaining_ = 0;
    }

    // Log entries that start with `prefix` ("open ", "play ").
    std::vector<std::string> entries(const std::string &prefix) const
    {
        std::vector<std::string> out;
        for (const auto &e : log) {
            if (e.rfind(prefix, 0) == 0)
                out.push_back(e.substr(prefix.size()));
        }
        return out;
    }

    int pollCount = 0;

private:
    std::string fileName_;
    int remaining_ = 0;
};

} // namespace quorvel
