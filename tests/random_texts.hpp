// Random row texts for generated pattern lists, kept alive as long as the
// lists that point at them.
#pragma once

#include <deque>
#include <string>

namespace glyph::test {

template <class Gen>
class RandomTexts {
  public:
    explicit RandomTexts(Gen& gen) : gen_(gen) {}

    // `len` characters drawn from the first `letters` of `alphabet`.
    const char* operator()(int len, const char* alphabet, int letters) {
        std::string& t = texts_.emplace_back(std::size_t(len), '.');
        for (char& c : t)
            c = alphabet[gen_.below(letters)];
        return t.c_str();
    }

  private:
    Gen& gen_;
    std::deque<std::string> texts_;
};

}  // namespace glyph::test
