#pragma once

// Where the game's input meets the menu pages. The pages and their context
// come with the interface toolkit; until then this stand-in has the
// context's entry points and never a page, so nothing reaches a page and
// every input goes on to the game.
struct GamePageContext {
    const void* root = nullptr; // the page shown; none yet

    void resize(int, int) {}
    void mouseMove(int, int) {}
    void mouseDown(int, int, int) {}
    void mouseUp(int, int, int) {}
    // Whether a page used the key.
    bool keyDown(int) { return false; }
    void charInput(int) {}
};
