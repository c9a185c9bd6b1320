// Where the works are: a work's face set found by its name, its centre, the direction it faces and
// the distance a flight keeps from it. The viewer flies by these; the exhibition checker asks the
// same questions of every work before a kiosk shows it.
#pragma once

#include <Inventor/SbBox.h>
#include <Inventor/SbLinear.h>
#include <Inventor/SbViewportRegion.h>
#include <cstdint>

class SoNode;
class SoPath;

// A flight keeps this distance from a work whose extent along its local X and Z has no area.
constexpr float kDefaultViewDistance = 6.0f;

// The path to the first node named "KD_<Id>" under root, referenced (the caller unrefs it); null
// when there is none or Id is negative.
SoPath* FindWork(SoNode* root, std::int32_t Id);

// The transformation from the path's tail to the world.
SbMatrix GetPathMatrix(SoPath* path, const SbViewportRegion& viewport);

// The mean of the points of the SoCoordinate3 in effect at the path's tail; false without one.
bool GetCoordinateCentroid(SoPath* path, SbVec3f& centroid);

// The box of those points, grown to hold the local origin; false without coordinates.
bool GetCoordinateBox(SoPath* path, SbBox3f& box);

// 2.35 times the square root of the area of the coordinate box's X by Z extent, or the default.
float GetViewDistance(SoPath* path);

// The work's centroid in world coordinates, looked for under works.
bool GetObjectCenter(SoNode* works, std::int32_t Id, const SbViewportRegion& viewport, SbVec3f& center);

// The work's local +Y axis in world coordinates, normalised, looked for under root.
bool GetObjectNormal(SoNode* root, std::int32_t Id, const SbViewportRegion& viewport, SbVec3f& normal);

// The flight distance of the work, looked for under works.
bool GetObjectViewDistance(SoNode* works, std::int32_t Id, float& distance);
