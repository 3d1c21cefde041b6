// Command identifiers. Menu items and toolbar tools share one id space: 1 to 10 belong to the
// main frame, 11 to 28 (and upward, one per Lod) to the model context menu.
#pragma once

namespace vertigon {

enum CommandId : int {
    kIdExit = 1,
    kIdAbout = 2,
    kIdBackgroundColour = 3,
    kIdOpen = 4,
    kIdTextureToggle = 5,
    kIdBlendingToggle = 6,
    kIdFlatToggle = 7,
    kIdBonesToggle = 8,
    kIdWireframeToggle = 9,
    kIdViewTexture = 10,

    kIdMenuTexture = 11,
    kIdMenuBlending = 12,
    kIdMenuBones = 13,
    kIdMenuWireframe = 14,
    kIdMenuFlat = 15,
    kIdMenuGouraud = 16,
    kIdMenuViewTextures = 17,
    kIdMenuViewStats = 18,
    kIdMenuFirstLod = 19,  // Lod i has id 19 + i
    kIdMenuLastLod = 999,

    // Beyond every Lod id a model could bring.
    kIdShowAnimations = 1001,
    kIdFrameModel = 1002,
    kIdResetView = 1003,
    kIdFrameOnOpen = 1004,
    kIdGrid = 1005,
    kIdAxes = 1006,
    kIdSaveImage = 1007,
    kIdNextFile = 1008,
    kIdPreviousFile = 1009,
    kIdExport = 1010,  // File > Export...
    kIdSaveModelAs = 1011,  // File > Save model as...
};

// The id of the animation browser's tree control (in its own window).
inline constexpr int kIdAnimationTree = 1;

}  // namespace vertigon
