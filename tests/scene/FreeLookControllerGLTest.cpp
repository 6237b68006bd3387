// The free-look controller driven by real input: xdotool sends key holds, the right mouse button
// and cursor motion through the X server (XTEST) to a visible GLFW window of the test's own, and
// the camera must move as the controls promise.
#include "GLTestContext.h"
#include "scene/Camera.h"
#include "scene/FreeLookController.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

const char* const windowTitle = "free look input test";

void expectVec3Near(glm::vec3 actual, glm::vec3 expected, float tolerance = 1e-4f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

bool xdotool(const std::string& arguments) {
    return std::system(("xdotool " + arguments).c_str()) == 0;
}

class FreeLookInput : public GLTest {
protected:
    GLFWwindow* window = nullptr;
    Camera camera;

    void SetUp() override {
        GLTest::SetUp();
        glfwDefaultWindowHints();
        glfwWindowHint(GLFW_CLIENT_API, GLFW_NO_API);
        glfwWindowHint(GLFW_VISIBLE, GLFW_TRUE);
        glfwWindowHint(GLFW_FOCUSED, GLFW_TRUE);
        window = glfwCreateWindow(320, 240, windowTitle, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        glfwSetWindowPos(window, 100, 100);
        ASSERT_TRUE(waitFor([&] { return glfwGetWindowAttrib(window, GLFW_VISIBLE) != 0; }));
        ASSERT_TRUE(xdotool(std::string("search --sync --name '") + windowTitle +
                            "' windowfocus --sync >/dev/null 2>&1"));
        // without --sync: that would wait for motion when the pointer is already there
        ASSERT_TRUE(xdotool("mousemove 260 220"));
        pump();
    }

    void TearDown() override {
        xdotool("keyup w a s d Up Down Left Right >/dev/null 2>&1");
        xdotool("mouseup 3 >/dev/null 2>&1");
        if (window != nullptr) {
            glfwDestroyWindow(window);
        }
    }

    // Processes window events until the condition holds (or two seconds passed).
    template <typename Condition> bool waitFor(Condition condition) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (std::chrono::steady_clock::now() < deadline) {
            glfwPollEvents();
            if (condition()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    void pump() {
        for (int i = 0; i < 5; ++i) {
            glfwPollEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    void holdKey(const char* xName, int glfwKey) {
        ASSERT_TRUE(xdotool(std::string("keydown ") + xName));
        ASSERT_TRUE(waitFor([&] { return glfwGetKey(window, glfwKey) == GLFW_PRESS; }))
            << xName << " never reached the window";
    }

    void releaseKey(const char* xName, int glfwKey) {
        ASSERT_TRUE(xdotool(std::string("keyup ") + xName));
        ASSERT_TRUE(waitFor([&] { return glfwGetKey(window, glfwKey) == GLFW_RELEASE; }));
    }

    void holdRightButton() {
        ASSERT_TRUE(xdotool("mousedown 3"));
        ASSERT_TRUE(waitFor(
            [&] { return glfwGetMouseButton(window, GLFW_MOUSE_BUTTON_RIGHT) == GLFW_PRESS; }));
    }

    void releaseRightButton() {
        ASSERT_TRUE(xdotool("mouseup 3"));
        ASSERT_TRUE(waitFor(
            [&] { return glfwGetMouseButton(window, GLFW_MOUSE_BUTTON_RIGHT) == GLFW_RELEASE; }));
    }

    // Moves the pointer by (dx, dy) pixels and waits until the window reports it there.
    void moveCursorBy(int dx, int dy) {
        double x0 = 0.0;
        double y0 = 0.0;
        glfwGetCursorPos(window, &x0, &y0);
        ASSERT_TRUE(xdotool("mousemove_relative --sync -- " + std::to_string(dx) + " " +
                            std::to_string(dy)));
        ASSERT_TRUE(waitFor([&] {
            double x = 0.0;
            double y = 0.0;
            glfwGetCursorPos(window, &x, &y);
            return x == x0 + dx && y == y0 + dy;
        }));
    }

    FreeLookController boundController() {
        FreeLookController controller(window);
        controller.setCamera(&camera);
        controller.update(0.0f); // records the starting cursor
        return controller;
    }
};

} // namespace

TEST_F(FreeLookInput, MovementKeysFlyAlongTheViewDirection) {
    FreeLookController controller = boundController();
    controller.enabled = true;

    holdKey("w", GLFW_KEY_W);
    controller.update(0.5f);
    expectVec3Near(camera.getPosition(), glm::vec3(0.0f, 0.0f, -1.5f));
    releaseKey("w", GLFW_KEY_W);

    camera.setPosition(glm::vec3(0.0f));
    camera.setRotation(glm::vec3(0.0f, 90.0f, 0.0f));
    holdKey("w", GLFW_KEY_W);
    controller.update(1.0f);
    expectVec3Near(camera.getPosition(), glm::vec3(3.0f, 0.0f, 0.0f));
    releaseKey("w", GLFW_KEY_W);

    camera.setPosition(glm::vec3(0.0f));
    holdKey("d", GLFW_KEY_D);
    controller.update(1.0f);
    expectVec3Near(camera.getPosition(), glm::vec3(0.0f, 0.0f, 3.0f));
    // A together with D cancels out
    holdKey("a", GLFW_KEY_A);
    controller.update(1.0f);
    expectVec3Near(camera.getPosition(), glm::vec3(0.0f, 0.0f, 3.0f));
    releaseKey("a", GLFW_KEY_A);
    releaseKey("d", GLFW_KEY_D);

    // flying, not walking: S with the view tilted down 30 degrees climbs
    camera.setPosition(glm::vec3(0.0f));
    camera.setRotation(glm::vec3(30.0f, 0.0f, 0.0f));
    holdKey("s", GLFW_KEY_S);
    controller.update(1.0f);
    const float sixthPi = 3.14159265f / 6.0f;
    expectVec3Near(camera.getPosition(),
                   glm::vec3(0.0f, 3.0f * std::sin(sixthPi), 3.0f * std::cos(sixthPi)));
    releaseKey("s", GLFW_KEY_S);
}

TEST_F(FreeLookInput, ArrowKeysTurnAndPitchStopsAtTheLimit) {
    FreeLookController controller = boundController();
    controller.enabled = true;

    holdKey("Right", GLFW_KEY_RIGHT);
    controller.update(0.5f);
    expectVec3Near(camera.getRotation(), glm::vec3(0.0f, 30.0f, 0.0f));
    releaseKey("Right", GLFW_KEY_RIGHT);

    holdKey("Left", GLFW_KEY_LEFT);
    controller.update(1.0f);
    expectVec3Near(camera.getRotation(), glm::vec3(0.0f, 330.0f, 0.0f));
    releaseKey("Left", GLFW_KEY_LEFT);

    holdKey("Up", GLFW_KEY_UP);
    for (int second = 0; second < 5; ++second) {
        controller.update(1.0f);
    }
    expectVec3Near(camera.getRotation(), glm::vec3(85.0f, 330.0f, 0.0f));
    releaseKey("Up", GLFW_KEY_UP);

    holdKey("Down", GLFW_KEY_DOWN);
    controller.update(0.25f);
    expectVec3Near(camera.getRotation(), glm::vec3(70.0f, 330.0f, 0.0f));
    releaseKey("Down", GLFW_KEY_DOWN);
    expectVec3Near(camera.getPosition(), glm::vec3(0.0f), 0.0f);
}

TEST_F(FreeLookInput, MouseLooksOnlyWhileTheRightButtonIsHeld) {
    FreeLookController controller = boundController();
    controller.enabled = true;

    moveCursorBy(10, 0);
    controller.update(0.016f);
    expectVec3Near(camera.getRotation(), glm::vec3(0.0f), 0.0f);

    holdRightButton();
    controller.update(0.016f);
    moveCursorBy(10, 0);
    controller.update(0.016f);
    expectVec3Near(camera.getRotation(), glm::vec3(0.0f, 2.0f, 0.0f));
    moveCursorBy(-20, 15);
    controller.update(0.016f);
    expectVec3Near(camera.getRotation(), glm::vec3(3.0f, 358.0f, 0.0f));
    releaseRightButton();
    expectVec3Near(camera.getPosition(), glm::vec3(0.0f), 0.0f);
}

// While disabled nothing moves, but the cursor is still tracked, so enabling the controller
// later does not turn the camera by all the motion that happened meanwhile.
TEST_F(FreeLookInput, DisabledOrUnboundControllersIgnoreInputButTrackTheCursor) {
    FreeLookController controller = boundController();
    holdKey("w", GLFW_KEY_W);
    holdRightButton();
    moveCursorBy(25, -5);
    controller.update(1.0f);
    expectVec3Near(camera.getPosition(), glm::vec3(0.0f), 0.0f);
    expectVec3Near(camera.getRotation(), glm::vec3(0.0f), 0.0f);
    double x = 0.0;
    double y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    EXPECT_EQ(controller.lastCursorX, x);
    EXPECT_EQ(controller.lastCursorY, y);
    releaseKey("w", GLFW_KEY_W);

    controller.enabled = true;
    controller.update(0.016f);
    expectVec3Near(camera.getRotation(), glm::vec3(0.0f), 0.0f);

    FreeLookController unbound(window);
    unbound.enabled = true;
    holdKey("w", GLFW_KEY_W);
    moveCursorBy(10, 0);
    unbound.update(1.0f); // no camera: must not crash, must not touch anything
    glfwGetCursorPos(window, &x, &y);
    EXPECT_EQ(unbound.lastCursorX, x);
    releaseKey("w", GLFW_KEY_W);
    releaseRightButton();
    expectVec3Near(camera.getPosition(), glm::vec3(0.0f), 0.0f);
}
