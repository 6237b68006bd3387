// Overlay: ImGui's life cycle tied to the pass timer's, and the overlay window's contents.
#include "app/Overlay.h"

#include "app/FramePipeline.h"
#include "app/KeyControls.h"
#include "app/RenderSettings.h"
#include "gpu/StandingState.h"
#include "render/PassTimer.h"
#include "render/Renderer.h"
#include "scene/Camera.h"
#include "scene/CameraPathAnimation.h"
#include "scene/FreeLookController.h"

#include <backends/imgui_impl_glfw.h>
#include <backends/imgui_impl_opengl3.h>
#include <imgui.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

const int recentFrames = 120;
// Distance of the overlay from the window's top left corner and the margin it keeps from the
// other edges, in pixels.
const float windowMargin = 8.0f;
// Size of the frame-time graph at full text size.
const ImVec2 graphSize(260.0f, 48.0f);
// Text smaller than this is not worth reading.
const float smallestTextScale = 0.4f;

} // namespace

Overlay::Overlay(GLFWwindow* window, FramePipeline* pipeline)
    : pipeline(pipeline), frameMs(recentFrames, 0.0f) {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr; // nothing is saved
    io.ConfigFlags |= ImGuiConfigFlags_NoMouse | ImGuiConfigFlags_NoMouseCursorChange;
    ImGui::StyleColorsDark();
    ImGui_ImplGlfw_InitForOpenGL(window, false);
    ImGui_ImplOpenGL3_Init("#version 330 core");
    PassTimer::activate();
    pipeline->renderer->attachPassHooks(PassTimer::hooks());
}

Overlay::~Overlay() {
    pipeline->renderer->attachPassHooks(nullptr);
    PassTimer::deactivate();
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplGlfw_Shutdown();
    ImGui::DestroyContext();
}

void Overlay::beginFrame() {
    PassTimer::beginFrame();
}

void Overlay::endFrame(double dt) {
    PassTimer::endFrame();
    recordFrameTime(dt);
    collectPassTimes();
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplGlfw_NewFrame();
    ImGui::NewFrame();
    drawWindow();
    ImGui::Render();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    // ImGui's back end changes what the frame's passes count on.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    setStandingState();
}

void Overlay::recordFrameTime(double dt) {
    frameMs[nextFrame] = static_cast<float>(dt * 1000.0);
    nextFrame = (nextFrame + 1) % recentFrames;
}

// The newest completed frame's pass times; a pass that did not run shows as off.
void Overlay::collectPassTimes() {
    std::vector<FrameGpuTimes> ready = PassTimer::collect(false);
    if (ready.empty()) {
        return;
    }
    const FrameGpuTimes& newest = ready.back();
    std::copy(newest.passMs, newest.passMs + kFramePassCount, passMs);
    std::copy(newest.passRan, newest.passRan + kFramePassCount, passRan);
}

void Overlay::drawWindow() {
    ImGui::SetNextWindowPos(ImVec2(windowMargin, windowMargin));
    ImGui::SetNextWindowBgAlpha(0.65f);
    ImGui::Begin("Cathedral", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize |
                     ImGuiWindowFlags_NoInputs | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav);
    ImGui::SetWindowFontScale(placed.textScale);
    ImGui::BeginGroup(); // the whole content, measured below
    ImGui::BeginGroup();
    drawFrameTimes();
    sectionBreak();
    drawPassTimes();
    ImGui::EndGroup();
    if (placed.columns == 2) {
        ImGui::SameLine();
    } else {
        ImGui::Separator();
    }
    ImGui::BeginGroup();
    drawSwitches();
    sectionBreak();
    drawCamera();
    ImGui::EndGroup();
    ImGui::EndGroup();
    // The window's own size is held inside the display, so the content is measured instead.
    ImVec2 content = ImGui::GetItemRectSize();
    ImVec2 position = ImGui::GetWindowPos();
    ImVec2 size = ImGui::GetWindowSize();
    ImGui::End();
    placed.x = position.x;
    placed.y = position.y;
    placed.width = size.x;
    placed.height = size.y;
    fitToWindow(content.x, content.y);
}

// A separator spans the whole window, across a second column too: between columns a gap.
void Overlay::sectionBreak() const {
    if (placed.columns == 2) {
        ImGui::Spacing();
    } else {
        ImGui::Separator();
    }
}

// Chooses the next frame's layout and text size from this frame's content: two columns once one
// column at full size is taller than the window, then the text scaled by the room left.
void Overlay::fitToWindow(float contentWidth, float contentHeight) {
    if (contentWidth <= 0.0f || contentHeight <= 0.0f) {
        return;
    }
    ImVec2 display = ImGui::GetIO().DisplaySize;
    ImVec2 padding = ImGui::GetStyle().WindowPadding;
    float roomX = display.x - 2.0f * (windowMargin + padding.x);
    float roomY = display.y - 2.0f * (windowMargin + padding.y);
    if (placed.columns == 1 && placed.textScale == 1.0f) {
        singleColumnHeight = contentHeight;
    }
    int columns = singleColumnHeight > roomY ? 2 : 1;
    if (columns != placed.columns) {
        placed.columns = columns;
        placed.textScale = 1.0f;
        return;
    }
    float scale = placed.textScale * std::min(roomX / contentWidth, roomY / contentHeight);
    placed.textScale = std::clamp(scale, smallestTextScale, 1.0f);
}

void Overlay::drawFrameTimes() {
    float latestMs = frameMs[(nextFrame + recentFrames - 1) % recentFrames];
    ImGui::Text("%.1f fps   %.2f ms", latestMs > 0.0f ? 1000.0f / latestMs : 0.0f, latestMs);
    float slowest = *std::max_element(frameMs.begin(), frameMs.end());
    ImGui::PlotLines("##frames", frameMs.data(), recentFrames, nextFrame, nullptr, 0.0f,
                     std::max(slowest, 1.0f),
                     ImVec2(graphSize.x * placed.textScale, graphSize.y * placed.textScale));
}

void Overlay::drawPassTimes() {
    ImGui::TextUnformatted("GPU time per pass");
    for (int i = 0; i < kFramePassCount; ++i) {
        const char* name = PassTimer::name(static_cast<FramePass>(i));
        if (passRan[i]) {
            ImGui::Text("  %-12s %7.3f ms", name, passMs[i]);
        } else {
            ImGui::Text("  %-12s     off", name);
        }
    }
}

void Overlay::drawSwitches() {
    for (const KeySwitch& keySwitch : keySwitches()) {
        ImGui::Text("%-4s %s%s", keySwitch.keyName, keySwitch.label,
                    switchState(keySwitch).c_str());
    }
    DebugView view = RenderSettings::debugView;
    if (!pipeline->renderer->viewHasData(view)) {
        ImGui::TextUnformatted("     (this view's pass has not run yet)");
    } else if (!pipeline->renderer->viewIsCurrent(view)) {
        ImGui::TextUnformatted("     (pass off: showing its last frame)");
    }
}

void Overlay::drawCamera() {
    glm::vec3 position = mainCamera->getPosition();
    glm::vec3 rotation = mainCamera->getRotation();
    ImGui::Text("Camera   %.2f %.2f %.2f", position.x, position.y, position.z);
    ImGui::Text("Rotation %.1f %.1f %.1f", rotation.x, rotation.y, rotation.z);
    ImGui::TextUnformatted(
        tourLine(*pipeline->pathAnimation, pipeline->freeLookController->enabled).c_str());
}

std::string Overlay::tourLine(const CameraPathAnimation& tour, bool freeLook) {
    if (freeLook) {
        return "Tour     free look";
    }
    char line[64];
    std::snprintf(line, sizeof line, "Tour     %.1f s (clock %.1f)", tour.tourSeconds(), tour.time);
    return line;
}
