// The effect and music synthesiser of the game-data build: recipes are
// small text descriptions (assets/sounds/*.recipes) of layered oscillators,
// noise, plucked strings and note sequences. Rendering is deterministic:
// every random source is a fixed-seed generator derived from the recipe.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace gamedata {

constexpr int kRate = 22050;

struct Layer {
    std::string type;                        // osc, noise, pluck, seq
    std::map<std::string, std::string> keys; // key=value settings
    std::string score;                       // seq: the notes after '|'
};

struct Recipe {
    std::string name;
    std::map<std::string, std::string> keys; // sound-wide settings
    std::vector<Layer> layers;
    std::string text;                         // the recipe's lines, for cache keys
};

// Parses one recipe file; throws std::runtime_error naming file and line.
std::vector<Recipe> ParseRecipes(const std::string& text, const std::string& file);

class RecipeBook {
public:
    void Add(const std::vector<Recipe>& recipes);
    // Resolves "like=" inheritance: the base's layers with this recipe's
    // sound-wide settings laid over the base's. Throws for unknown names
    // and cycles.
    Recipe Resolve(const std::string& name) const;
    bool Has(const std::string& name) const { return recipes_.count(name) != 0; }

private:
    std::map<std::string, Recipe> recipes_;
};

struct Rendered {
    int channels = 1;
    std::vector<float> samples;  // interleaved, roughly -1..1
    bool loop = false;           // samples hold exactly one period
};

// Throws std::runtime_error for a setting it does not understand.
Rendered Render(const Recipe& recipe, int channels);

}  // namespace gamedata
