// What the program store asks of the editor's preset layer. The editor object implements it;
// the store reaches it through the effect's editor pointer.
#pragma once

class PresetEditorLink
{
public:
    // The current program got a new name: show it in the name field and the program menu.
    virtual void programNameChanged(const char* name) = 0;
    // Apply the user's remembered default bank, default preset and last-used names.
    virtual void loadDefaults() = 0;
    // All six programs and the current one were replaced from a chunk, on whatever thread the
    // host loads it: show their names when the editor next can.
    virtual void programsReplaced() {}

protected:
    ~PresetEditorLink() = default;
};
