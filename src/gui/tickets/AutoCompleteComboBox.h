#pragma once

#include <QString>

class QComboBox;

// Type-ahead for an editable drop-down box (the rules are AutoComplete's, see
// tickets/AutoComplete.h): each typed character extends what the clerk has typed, the
// list opens, and the first entry beginning with the typed text fills the box with its
// untyped rest selected; Backspace takes a selected completion away; Enter accepts.
//
// Gives one key to the box. keyCode is the character the key types (a control code for
// Backspace 8, Enter 13, Escape 27, Ctrl+V 22, ...); the result is the key the box
// should then act on: 0 when the key is cancelled because its work is done, Enter when
// the box should see it. When the box cannot be worked on (it is not editable) the key
// comes back unchanged, and the box handles it itself.
int AutoCompleteComboBox(QComboBox *combo, int keyCode);

// Passes every key typed into the box through the rules, whether its list is open or
// closed, and turns off what would fight them (Qt's own completer, and the insertion of
// typed texts into the list on Enter). The paste shortcuts are cancelled like their
// control code; keys that type no character (arrows, Delete, Tab) keep their usual
// work. The box must be editable.
void installAutoComplete(QComboBox *combo);
