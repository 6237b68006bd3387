// Overlay: ImGui's life cycle tied to the pass timer's, and the overlay window's contents.
#include "app/Overlay.h"

#include "app/FramePipeline.h"
#include "app/KeyControls.h"
#include "app/RenderSettings.h"
#include "base/Console.h"
#include "gpu/StandingState.h"
#include "gpu/Tunables.h"
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
// The tunables panel at full text size: its width and its sliders' width, in pixels. Its rows
// follow ImGui's default style: a title bar and a slider are a line of text plus the frame
// padding above and below, rows are apart by the item spacing.
const float tunablesPanelWidth = 330.0f;
const float tunableSliderWidth = 160.0f;
// Height in pixels of ImGui's built-in font, the one the overlay uses.
const float defaultFontSize = 13.0f;

// The overlay whose panel gets the left mouse button; one exists at a time.
Overlay* inputOverlay = nullptr;

// Left-button presses go to ImGui, which sees a click shorter than a frame only this way (it
// polls the buttons otherwise); the other buttons belong to the demo.
void onMouseButton(GLFWwindow* window, int button, int action, int mods) {
    if (inputOverlay != nullptr && button == GLFW_MOUSE_BUTTON_LEFT) {
        ImGui_ImplGlfw_MouseButtonCallback(window, button, action, mods);
    }
}

// Only the left button works the panel: the right one turns the camera, even over the panel.
void keepOnlyTheLeftButton() {
    ImGuiIO& io = ImGui::GetIO();
    for (int button = 1; button < IM_ARRAYSIZE(io.MouseDown); ++button) {
        io.MouseDown[button] = false;
    }
}

} // namespace

Overlay::Overlay(GLFWwindow* window, FramePipeline* pipeline)
    : window(window), pipeline(pipeline), frameMs(recentFrames, 0.0f) {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr; // nothing is saved
    io.ConfigFlags |= ImGuiConfigFlags_NoMouseCursorChange;
    ImGui::StyleColorsDark();
    ImGui_ImplGlfw_InitForOpenGL(window, false);
    ImGui_ImplOpenGL3_Init("#version 330 core");
    inputOverlay = this;
    previousMouseButton = glfwSetMouseButtonCallback(window, onMouseButton);
    PassTimer::activate();
    pipeline->renderer->attachPassHooks(PassTimer::hooks());
}

Overlay::~Overlay() {
    pipeline->renderer->attachPassHooks(nullptr);
    PassTimer::deactivate();
    glfwSetMouseButtonCallback(window, previousMouseButton);
    inputOverlay = nullptr;
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
    keepOnlyTheLeftButton();
    ImGui::NewFrame();
    drawWindow();
    drawTunablesPanel();
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

// The panel: one slider per tunable, its meaning as the tooltip, and a button that puts them all
// back. A slider acts on the frame while it is dragged; its console line comes when it is let go,
// once per change. It stands at the top right beside the statistics where the window is wide
// enough; otherwise it moves to the bottom right corner and folds to its title bar (a click on
// the title unfolds it over the frame), each time the window becomes too narrow.
void Overlay::drawTunablesPanel() {
    float scale = placed.textScale;
    ImVec2 display = ImGui::GetIO().DisplaySize;
    float width = tunablesPanelWidth * scale;
    float left = display.x - windowMargin - width;
    bool besideStatistics = placed.x + placed.width + windowMargin <= left;
    if (besideStatistics != panelBesideStatistics) {
        panelBesideStatistics = besideStatistics;
        ImGui::SetNextWindowCollapsed(!besideStatistics);
    }
    if (besideStatistics) {
        ImGui::SetNextWindowPos(ImVec2(left, windowMargin));
    } else {
        ImGui::SetNextWindowPos(ImVec2(display.x - windowMargin, display.y - windowMargin),
                                ImGuiCond_Always, ImVec2(1.0f, 1.0f));
    }
    ImGui::SetNextWindowSize(ImVec2(width, 0.0f)); // height 0: fit the content
    ImGui::SetNextWindowBgAlpha(0.65f);
    bool open = ImGui::Begin("Tunables", nullptr,
                             ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize |
                                 ImGuiWindowFlags_NoSavedSettings |
                                 ImGuiWindowFlags_NoFocusOnAppearing | ImGuiWindowFlags_NoNav);
    if (open) {
        ImGui::SetWindowFontScale(scale);
        ImGui::PushItemWidth(tunableSliderWidth * scale);
        for (const Tunable& tunable : tunables()) {
            drawTunable(tunable);
        }
        ImGui::PopItemWidth();
        if (ImGui::Button("Reset")) {
            resetTunablesWithLines();
        }
    }
    ImGui::End();
}

void Overlay::drawTunable(const Tunable& tunable) {
    float value = tunableValue(tunable);
    // No typed input: the panel gets no keys, which all stay with the demo.
    if (ImGui::SliderFloat(tunable.name, &value, tunable.minimum, tunable.maximum, tunable.format,
                           ImGuiSliderFlags_AlwaysClamp | ImGuiSliderFlags_NoInput)) {
        setTunable(tunable, value);
    }
    if (ImGui::IsItemDeactivatedAfterEdit()) {
        printLine(tunableLine(tunable));
    }
    if (ImGui::IsItemHovered()) {
        ImGui::SetTooltip("%s", tunable.meaning);
    }
}

void Overlay::resetTunablesWithLines() {
    std::vector<const Tunable*> changed;
    for (const Tunable& tunable : tunables()) {
        if (tunableValue(tunable) != tunable.start) {
            changed.push_back(&tunable);
        }
    }
    resetTunables();
    for (const Tunable* tunable : changed) {
        printLine(tunableLine(*tunable));
    }
}

float Overlay::sliderCentreY(int index) {
    const ImGuiStyle style; // the default style, which the overlay keeps (dark colours aside)
    float row = defaultFontSize;
    float titleBar = row + 2.0f * style.FramePadding.y;
    float slider = row + 2.0f * style.FramePadding.y;
    return windowMargin + titleBar + style.WindowPadding.y +
           static_cast<float>(index) * (slider + style.ItemSpacing.y) + 0.5f * slider;
}

float Overlay::sliderX(int windowWidth, float share) {
    const ImGuiStyle style;
    float left =
        static_cast<float>(windowWidth) - windowMargin - tunablesPanelWidth + style.WindowPadding.x;
    return left + share * tunableSliderWidth;
}

std::string Overlay::tourLine(const CameraPathAnimation& tour, bool freeLook) {
    if (freeLook) {
        return "Tour     free look";
    }
    char line[64];
    std::snprintf(line, sizeof line, "Tour     %.1f s (clock %.1f)", tour.tourSeconds(), tour.time);
    return line;
}
