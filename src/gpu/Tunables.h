// The live parameters of the techniques: one table with a row per tunable, its name, start value,
// range and the uniform that carries it to the shaders. Every stage declares each uniform with its
// start value as initialiser (through the shared declarations of ShaderConstants.h), so a program
// built from the files draws the start frame by itself; a changed value is uploaded to every
// registered program at once, and again after the programs are rebuilt. The overlay makes a slider
// of each row, cathedral-bench --set NAME=VALUE applies one to a run, and the tests iterate the
// table.
#pragma once

#include <optional>
#include <string>
#include <vector>

class Shader;

struct Tunable {
    const char* name;    // "exposure": the console's, the overlay's and --set's name
    const char* uniform; // float uniform carrying it, declared in every stage
    float start;         // the value the shader files were tuned with
    float minimum;       // the range a slider and --set accept, ends included
    float maximum;
    const char* format;  // printf format of the value on the console and the slider
    const char* meaning; // what it scales or offsets, and in what units
};

// Every tunable, in the overlay's order.
const std::vector<Tunable>& tunables();
// The row named `name`, or null.
const Tunable* findTunable(const std::string& name);

// The value in use now; the start value until set.
float tunableValue(const Tunable& tunable);
// Sets the value in use, clamped to the range, and uploads it to every registered program (the
// GL context must be current when any program is registered). Returns whether it changed.
bool setTunable(const Tunable& tunable, float value);
// Every tunable back to its start value, uploaded as above.
void resetTunables();
// The console line of a change: "Tunable exposure: 2.10".
std::string tunableLine(const Tunable& tunable);
// A value as that line writes it, in the tunable's format.
std::string tunableText(const Tunable& tunable, float value);

// Uploads every tunable's value in use to `program`, leaving no program bound.
void uploadTunables(const Shader& program);
// Uploads them to every registered program: after the programs are rebuilt.
void uploadTunablesToAllPrograms();

// "NAME=VALUE" as --set takes it: the tunable and the value, or an error line naming the valid
// names or the valid range.
struct TunableSetting {
    const Tunable* tunable = nullptr;
    float value = 0.0f;
    std::string error; // empty when valid
};
TunableSetting parseTunableSetting(const std::string& text);
