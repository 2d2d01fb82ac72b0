// The command table: every command id of the program with its menu text (mnemonic and shortcut
// text), its prompt in the message pane, its check state and its accelerator keys. The main
// window makes one action per entry; the routing finds each command's handler.
#pragma once

#include <span>

namespace orvane {

struct CommandSpec {
    int id;
    const char* text;       // menu text ("&Open Image...\tCtrl+O") or the toolbar button's name
    const char* prompt;     // message-pane prompt, optionally "\n" and a tool tip; "" for none
    bool checkable;         // has a check mark or pressed state
    const char* shortcuts;  // accelerator keys, ";"-separated; "" for none
};

std::span<const CommandSpec> commandSpecs();
const CommandSpec* findCommandSpec(int id);

// Commands that are in the menus but that no part of the program handles (Edit menu): they are
// always disabled.
bool isUnhandledByDesign(int id);

// Menu 128 names the Open command differently from menu 129.
inline constexpr const char* kOpenTextMenu128 = "&Open...\tCtrl+O";

}  // namespace orvane
