// The free-look controller driven by real input: xdotool sends key holds, the right button and
// pointer motion through the X server (XTEST) to a visible GLFW window of the test's own.
#include "GLTestContext.h"
#include "scene/Camera.h"
#include "scene/FreeLookController.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

void expectVec3Near(glm::vec3 actual, glm::vec3 expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-4f);
    EXPECT_NEAR(actual.y, expected.y, 1e-4f);
    EXPECT_NEAR(actual.z, expected.z, 1e-4f);
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
        window = glfwCreateWindow(320, 240, "free look input", nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(xdotool("search --sync --name 'free look input' windowfocus --sync"));
        // without --sync: that would wait for motion when the pointer is already there
        ASSERT_TRUE(xdotool("mousemove 160 120"));
        waitFor([] { return false; }, 50);
    }

    void TearDown() override {
        xdotool("keyup w a s d Up Down Left Right");
        xdotool("mouseup 3");
        if (window != nullptr) {
            glfwDestroyWindow(window);
        }
    }

    // Processes window events until the condition holds or the time is up.
    template <typename Condition> bool waitFor(Condition condition, int milliseconds = 2000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            glfwPollEvents();
            if (condition()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }

    // Presses (or releases) an X key and waits until the window sees it.
    void key(const char* xName, int glfwKey, bool down) {
        ASSERT_TRUE(xdotool(std::string(down ? "keydown " : "keyup ") + xName));
        ASSERT_TRUE(waitFor([&] { return glfwGetKey(window, glfwKey) == (down ? 1 : 0); }))
            << xName << " did not reach the window";
    }

    void rightButton(bool down) {
        ASSERT_TRUE(xdotool(down ? "mousedown 3" : "mouseup 3"));
        ASSERT_TRUE(waitFor([&] { return glfwGetMouseButton(window, 1) == (down ? 1 : 0); }));
    }

    void moveCursorBy(int dx, int dy) {
        double x0 = 0.0, y0 = 0.0;
        glfwGetCursorPos(window, &x0, &y0);
        ASSERT_TRUE(xdotool("mousemove_relative --sync -- " + std::to_string(dx) + " " +
                            std::to_string(dy)));
        ASSERT_TRUE(waitFor([&] {
            double x = 0.0, y = 0.0;
            glfwGetCursorPos(window, &x, &y);
            return x == x0 + dx && y == y0 + dy;
        }));
    }

    FreeLookController boundController(bool enabled) {
        FreeLookController controller(window);
        controller.setCamera(&camera);
        controller.update(0.0f); // records the starting cursor
        controller.enabled = enabled;
        return controller;
    }
};

} // namespace

TEST_F(FreeLookInput, KeysFlyAlongTheViewAndTurnWithPitchLimited) {
    FreeLookController controller = boundController(true);
    key("w", GLFW_KEY_W, true);
    controller.update(0.5f);
    expectVec3Near(camera.getPosition(), glm::vec3(0, 0, -1.5f));
    camera.setPosition(glm::vec3(0.0f));
    camera.setRotation(glm::vec3(0, 90, 0));
    controller.update(1.0f);
    expectVec3Near(camera.getPosition(), glm::vec3(3, 0, 0));
    key("w", GLFW_KEY_W, false);
    key("d", GLFW_KEY_D, true);
    controller.update(1.0f);
    expectVec3Near(camera.getPosition(), glm::vec3(3, 0, 3));
    key("d", GLFW_KEY_D, false);

    key("Right", GLFW_KEY_RIGHT, true);
    controller.update(0.5f);
    key("Right", GLFW_KEY_RIGHT, false);
    key("Left", GLFW_KEY_LEFT, true);
    controller.update(0.5f);
    key("Left", GLFW_KEY_LEFT, false);
    expectVec3Near(camera.getRotation(), glm::vec3(0, 90, 0));
    key("Up", GLFW_KEY_UP, true);
    for (int second = 0; second < 5; ++second) {
        controller.update(1.0f);
    }
    key("Up", GLFW_KEY_UP, false);
    key("Down", GLFW_KEY_DOWN, true);
    controller.update(0.25f);
    expectVec3Near(camera.getRotation(), glm::vec3(70, 90, 0));
    expectVec3Near(camera.getPosition(), glm::vec3(3, 0, 3));
}

TEST_F(FreeLookInput, MouseLooksOnlyWhileTheRightButtonIsHeld) {
    FreeLookController controller = boundController(true);
    moveCursorBy(10, 0);
    controller.update(0.016f);
    expectVec3Near(camera.getRotation(), glm::vec3(0.0f));
    rightButton(true);
    moveCursorBy(10, 0);
    controller.update(0.016f);
    expectVec3Near(camera.getRotation(), glm::vec3(0, 2, 0));
    moveCursorBy(-20, 15);
    controller.update(0.016f);
    expectVec3Near(camera.getRotation(), glm::vec3(3, 358, 0));
}

// While disabled or unbound nothing moves, but the cursor is tracked, so enabling the controller
// later does not turn the camera by all the motion that happened meanwhile.
TEST_F(FreeLookInput, DisabledOrUnboundControllersIgnoreInputButTrackTheCursor) {
    FreeLookController controller = boundController(false);
    FreeLookController unbound(window);
    unbound.enabled = true;
    key("w", GLFW_KEY_W, true);
    rightButton(true);
    moveCursorBy(25, -5);
    controller.update(1.0f);
    unbound.update(1.0f);
    double x = 0.0, y = 0.0;
    glfwGetCursorPos(window, &x, &y);
    EXPECT_EQ(controller.lastCursorX, x);
    EXPECT_EQ(controller.lastCursorY, y);
    EXPECT_EQ(unbound.lastCursorX, x);
    key("w", GLFW_KEY_W, false);
    controller.enabled = true;
    controller.update(0.016f);
    expectVec3Near(camera.getPosition(), glm::vec3(0.0f));
    expectVec3Near(camera.getRotation(), glm::vec3(0.0f));
}
