// Quoting input in messages: what clipInput and readableMessage cut.
#include "graph/scene.h"

#include <algorithm>

namespace rdhost {

namespace {

// UTF-8: a character starts at every byte that is not a continuation byte.
bool startsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

std::size_t characters(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), startsCharacter));
}

// Byte offset of the character `n` characters in (text.size() when shorter).
std::size_t offsetOf(std::string_view text, std::size_t n) {
    std::size_t at = 0;
    for (std::size_t seen = 0; at < text.size(); ++at)
        if (startsCharacter(text[at]) && seen++ == n) break;
    return at;
}

std::string clip(std::string_view text, std::size_t limit) {
    const std::size_t n = characters(text);
    if (n <= limit) return std::string(text);
    return std::string(text.substr(0, offsetOf(text, 60))) + "... (" + std::to_string(n) + " characters)";
}

}  // namespace

std::string clipInput(std::string_view text) { return clip(text, 80); }

std::string readableMessage(std::string_view message) {
    std::string out;
    for (std::size_t i = 0; i < message.size();) {
        const std::size_t end = std::min(message.find_first_of(" \t\n", i), message.size());
        out += clip(message.substr(i, end - i), 1000);
        if (end < message.size()) out += message[end];
        i = end + 1;
    }
    const std::size_t n = characters(out);
    if (n <= 4000) return out;
    const std::string_view all(out);
    return std::string(all.substr(0, offsetOf(all, 3000))) + " ... (" + std::to_string(n) +
           " characters in all) ... " + std::string(all.substr(offsetOf(all, n - 500)));
}

}  // namespace rdhost
