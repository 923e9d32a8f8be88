// Text for the editor's numeric read-outs: one converter per read-out.
#pragma once

/// Size of the text buffer a read-out hands to its converter.
constexpr int kStringConvertBufferSize = 256;

/// "%d" degrees of azimuth: +180 at 0, 0 at 0.5, -180 at 1, truncated toward zero.
void degreeStringConvert(float value, char* text);
/// "%.1f" degrees of elevation: -90 .. +90.
void elevationDegreeStringConvert(float value, char* text);
/// "%d" degrees of width: 0 .. 180, truncated toward zero.
void widthDegreeStringConvert(float value, char* text);
/// "%d%%" of the linear gain, rounded half up.
void percentStringConvert(float value, char* text);
