// createEditor: the effect's editor, chosen at link time. sorvelt_editor builds the
// UHJeditor on every platform that has a toolkit platform half.
#pragma once

class AEffGUIEditor;
class AudioEffect;

/// The editor for `effect`, registered with it by the editor's base; null for a build
/// without an editor, which leaves the record's editor flag clear.
AEffGUIEditor* createEditor(AudioEffect* effect);
