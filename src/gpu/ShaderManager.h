// The process-wide registry of the fourteen shader programs, built once at start-up before any
// scene or render object exists and handed out by case-sensitive key. A program that does not
// build ends the process: there is no frame to draw without it.
#pragma once

#include "gpu/Shader.h"

#include <map>
#include <string>

class ShaderManager {
public:
    // Prints "Loading Shaders!", then builds and registers every program in table order. On the
    // first program that does not link, prints its failure message and calls exit(-1).
    static void loadShaders();
    // The registered program; an unknown key throws std::out_of_range (a programming error).
    static Shader* getShader(std::string key);
    // Deletes every registered program (context must be current) and empties the registry.
    static void deleteShaders();

private:
    // Never destroyed, so programs still registered at exit stay reachable instead of being
    // lost with the map.
    static inline std::map<std::string, Shader*>& shaders = *new std::map<std::string, Shader*>();
};
