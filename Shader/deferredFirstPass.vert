#version 330 core
// Geometry pass, vertex stage: hands world-space position, normal and the material texture
// coordinate to the fragment stage that fills the G-buffer.
//   in  location 0  position                   vec3, object space
//   in  location 1  normal                     vec3, object space
//   in  location 2  uv                         vec2, material texture coordinate
//   uniform modelMatrix                        mat4, object -> world
//   uniform viewMatrix                         mat4, world -> view (not needed here)
//   uniform normalMatrix                       mat3, transpose(inverse(model)): object -> world normals
//   uniform modelViewProjectionMatrix          mat4, object -> camera clip space
//   out worldPosition, worldNormal             vec3, world space
//   out texCoord                               vec2
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 uv;

uniform mat4 modelMatrix;
uniform mat3 normalMatrix;
uniform mat4 modelViewProjectionMatrix;

out vec3 worldPosition;
out vec3 worldNormal;
out vec2 texCoord;

void main() {
    worldPosition = (modelMatrix * vec4(position, 1.0)).xyz;
    worldNormal = normalMatrix * normal;
    texCoord = uv;
    gl_Position = modelViewProjectionMatrix * vec4(position, 1.0);
}
