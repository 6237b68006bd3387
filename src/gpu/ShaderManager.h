// The process-wide registry of the shader programs, built at start-up before any scene or render
// object exists, rebuilt from the files on request (R) and handed out by case-sensitive key;
// deleted only by deleteShaders while the context is current. A program that does not build at
// start-up ends the process (there is no frame to draw without it); one that does not rebuild
// keeps its previous build.
#pragma once

#include "gpu/Shader.h"

#include <map>
#include <string>
#include <vector>

class ShaderManager {
public:
    // One program: its key, its stage files ("" for no geometry stage) and what to print when it
    // does not build.
    struct ProgramFiles {
        const char* key;
        const char* vertex;
        const char* geometry;
        const char* fragment;
        const char* failureMessage;
    };

    // Every program the registry builds, in build order.
    static const std::vector<ProgramFiles>& programs();
    // Prints "Loading Shaders!", then builds and registers every program in table order. On the
    // first program that does not link, prints its failure message, deletes it and every program
    // registered so far, and calls exit(-1).
    static void loadShaders();
    // Rebuilds every registered program from its files, in table order, with the context current.
    // A program that builds moves into the Shader object the registry already hands out (the
    // pointers users hold stay valid) and its previous GL objects are deleted. One that does not
    // build prints its stages' and link lines as at start-up, then "Kept the previous build of
    // <key>", and stays as it was. A rebuilt program gets the tunables' values in use. Then prints
    // "Shaders reloaded: <programs rebuilt>" and returns that number. Leaves no program bound and
    // raises no GL error either way.
    static int reloadShaders();
    // The registered program; an unknown key throws std::out_of_range (a programming error).
    static Shader* getShader(std::string key);
    // The registered program, or null when `key` is not registered (yet, or any more).
    static Shader* findShader(const std::string& key);
    // Deletes every registered program (context must be current) and empties the registry.
    static void deleteShaders();

private:
    // Created before main and never destroyed: nothing happens to it at exit, so programs still
    // registered then stay reachable (the GL context is gone by then, so they cannot be deleted).
    static inline std::map<std::string, Shader*>& shaders = *new std::map<std::string, Shader*>();
};
