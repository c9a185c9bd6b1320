#include "hangscene.h"

#include <charconv>
#include <cmath>
#include <cstdio>

const char kFloorTextureNode[] = "ROOM_FLOOR";
const char kWallsTextureNode[] = "ROOM_WALLS";
const char kCeilingTextureNode[] = "ROOM_CEILING";

namespace {

// Numbers as Inventor reads them, whatever the process's locale says about decimal commas.
std::string Num(double value) {
  if (std::fabs(value) < 5e-6) value = 0;
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 5);
  std::string text(buffer, result.ptr);
  if (text.find('.') != std::string::npos) {
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

std::string Colour(double r, double g, double b, double scale) {
  return Num(r * scale) + " " + Num(g * scale) + " " + Num(b * scale);
}

struct TPoint {
  double X, Y, Z;
};

// One surface of the rooms: its quads, each with texture coordinates taken from its plane.
class TSurfaceMesh {
 public:
  // Adds the quad a b c d so that it faces along normal (its counter-clockwise side).
  void Quad(TPoint a, TPoint b, TPoint c, TPoint d, TPoint normal, double tile) {
    const TPoint u{b.X - a.X, b.Y - a.Y, b.Z - a.Z};
    const TPoint v{c.X - b.X, c.Y - b.Y, c.Z - b.Z};
    const TPoint n{u.Y * v.Z - u.Z * v.Y, u.Z * v.X - u.X * v.Z, u.X * v.Y - u.Y * v.X};
    const bool reversed = n.X * normal.X + n.Y * normal.Y + n.Z * normal.Z < 0;
    const TPoint corners[4] = {a, reversed ? d : b, c, reversed ? b : d};
    for (const TPoint& p : corners) {
      Index += std::to_string(Points.size()) + ", ";
      Points.push_back(p);
      // Floors and ceilings tile in X-Z; walls along X in X-Y; walls along Z in Z-Y.
      double s = p.X, t = p.Z;
      if (normal.Y == 0) {
        s = normal.Z != 0 ? p.X : p.Z;
        t = p.Y;
      }
      TexCoords.push_back({s / tile, t / tile, 0});
    }
    Index += "-1,\n      ";
  }

  std::string Text(const std::string& material, const std::string& textureNode, bool textured) const {
    std::string text = "  Separator {\n    " + material + "\n";
    if (textured) text += "    DEF " + textureNode + " Texture2 { wrapS REPEAT wrapT REPEAT }\n";
    text += "    Coordinate3 { point [\n";
    for (const TPoint& p : Points) text += "      " + Num(p.X) + " " + Num(p.Y) + " " + Num(p.Z) + ",\n";
    text += "    ] }\n";
    if (textured) {
      text += "    TextureCoordinate2 { point [\n";
      for (const TPoint& p : TexCoords) text += "      " + Num(p.X) + " " + Num(p.Y) + ",\n";
      text += "    ] }\n";
    }
    text += "    IndexedFaceSet {\n      coordIndex [\n      " + Index + "]\n";
    if (textured) text += "      textureCoordIndex [\n      " + Index + "]\n";
    text += "    }\n  }\n";
    return text;
  }

 private:
  std::vector<TPoint> Points;
  std::vector<TPoint> TexCoords;
  std::string Index;
};

// Diffuse and ambient shares of a surface's colour: under the viewer's headlight and the
// scene's strong ambient light a surface seen head-on shows its own colour, never brighter,
// and with no specular highlight to glare.
std::string SurfaceMaterial(const TSurface& surface) {
  const bool textured = !surface.Texture.empty();
  const double r = textured ? 1 : surface.R, g = textured ? 1 : surface.G, b = textured ? 1 : surface.B;
  return "Material { ambientColor " + Colour(r, g, b, 0.6) + " diffuseColor " + Colour(r, g, b, 0.5) +
         " specularColor 0 0 0 }";
}

// Text safe inside an Inventor comment: one line, no control characters.
std::string CommentText(const std::string& text) {
  std::string out;
  for (const char c : text) out += (static_cast<unsigned char>(c) < 0x20) ? ' ' : c;
  return out;
}

}  // namespace

bool ParseColour(const std::string& text, double& r, double& g, double& b) {
  if (text.size() != 7 || text[0] != '#') return false;
  unsigned value = 0;
  for (std::size_t i = 1; i < 7; ++i) {
    const char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return false;
    value = value * 16 + unsigned(digit);
  }
  r = ((value >> 16) & 0xFF) / 255.0;
  g = ((value >> 8) & 0xFF) / 255.0;
  b = (value & 0xFF) / 255.0;
  return true;
}

std::string RoomsScene(const THangLayout& layout, const TRoomLook& look) {
  TSurfaceMesh floor, walls, ceiling;
  const double h = layout.Height;
  const double doorHalf = kDoorHalfWidth, doorTop = std::min(2.6, h - 0.5);
  const double wt = look.Walls.TileMetres;
  // A wall from a to b (at floor level, along X or Z) facing into its room, with a doorway
  // centred at `door` along it when it has one.
  const auto wall = [&](TPoint a, TPoint b, TPoint normal, bool hasDoor, double door) {
    const bool alongX = a.Z == b.Z;
    const auto at = [&](double t, double y) { return alongX ? TPoint{t, y, a.Z} : TPoint{a.X, y, t}; };
    const double from = alongX ? a.X : a.Z, to = alongX ? b.X : b.Z;
    if (!hasDoor) {
      walls.Quad(at(from, 0), at(to, 0), at(to, h), at(from, h), normal, wt);
      return;
    }
    walls.Quad(at(from, 0), at(door - doorHalf, 0), at(door - doorHalf, h), at(from, h), normal, wt);
    walls.Quad(at(door + doorHalf, 0), at(to, 0), at(to, h), at(door + doorHalf, h), normal, wt);
    walls.Quad(at(door - doorHalf, doorTop), at(door + doorHalf, doorTop), at(door + doorHalf, h), at(door - doorHalf, h),
               normal, wt);
  };
  for (const TRoom& room : layout.Rooms) {
    const double x0 = room.X0, x1 = room.X1, z0 = room.Z0, z1 = room.Z1;
    const auto door = [&](TDoorWall side, double& where) {
      if (room.Entry == side) where = side == TDoorWall::North || side == TDoorWall::South ? room.EntryX : room.CentreZ + layout.DoorZ;
      else if (room.Exit == side) where = side == TDoorWall::North || side == TDoorWall::South ? room.ExitX : room.CentreZ + layout.DoorZ;
      else return false;
      return true;
    };
    floor.Quad({x0, 0, z0}, {x1, 0, z0}, {x1, 0, z1}, {x0, 0, z1}, {0, 1, 0}, look.Floor.TileMetres);
    ceiling.Quad({x0, h, z0}, {x1, h, z0}, {x1, h, z1}, {x0, h, z1}, {0, -1, 0}, look.Ceiling.TileMetres);
    double where = 0;
    bool has = door(TDoorWall::North, where);
    wall({x0, 0, z0}, {x1, 0, z0}, {0, 0, 1}, has, where);
    has = door(TDoorWall::South, where);
    wall({x0, 0, z1}, {x1, 0, z1}, {0, 0, -1}, has, where);
    has = door(TDoorWall::West, where);
    wall({x0, 0, z0}, {x0, 0, z1}, {1, 0, 0}, has, where);
    has = door(TDoorWall::East, where);
    wall({x1, 0, z0}, {x1, 0, z1}, {-1, 0, 0}, has, where);
  }
  std::string text =
      "#Inventor V2.1 ascii\n\n"
      "# The rooms of the exhibition, made by pinacora-data hang: " +
      std::to_string(layout.Rooms.size()) + " room(s) in rows of " + std::to_string(layout.Columns) +
      " along X, each " + Num(layout.Depth) + " m deep and " +
      Num(layout.Height) +
      " m high. Every face looks into its room. Nothing here is pickable.\n\n"
      "Separator {\n"
      "  DirectionalLight { direction 0.2 -1 0.3 intensity 0.3 color 1 0.97 0.92 }\n";
  text += floor.Text(SurfaceMaterial(look.Floor), kFloorTextureNode, !look.Floor.Texture.empty());
  text += walls.Text(SurfaceMaterial(look.Walls), kWallsTextureNode, !look.Walls.Texture.empty());
  text += ceiling.Text(SurfaceMaterial(look.Ceiling), kCeilingTextureNode, !look.Ceiling.Texture.empty());
  // The plinths the models stand on belong to the models' manifest entries, so that a plinth
  // moves with its model; pack makes them.
  text += "}\n";
  return text;
}

std::string WorksScene(const THangLayout& layout, const std::vector<THungWork>& works, const TRoomLook& look) {
  std::string text =
      "#Inventor V2.1 ascii\n\n"
      "# The works of the exhibition, made by pinacora-data hang. Each picture lies in its own local\n"
      "# X-Z plane (X to the visitor's right, Z downwards) and faces local +Y, which its Transform turns\n"
      "# into the room. The face set of a work is KD_<Id>, its texture node TEX_<Id>. Coordinates past\n"
      "# the fourth only widen the work's box, which sets the distance the viewer looks at it from.\n\n"
      "Separator {\n"
      "  DEF FRAME Material { ambientColor " + Colour(look.FrameR, look.FrameG, look.FrameB, 0.6) +
      " diffuseColor " + Colour(look.FrameR, look.FrameG, look.FrameB, 0.5) +
      " specularColor 0.12 0.1 0.06 shininess 0.2 }\n"
      "  DEF CANVAS Material { ambientColor 0.62 0.62 0.62 diffuseColor 0.72 0.72 0.72 specularColor 0 0 0 }\n";
  for (std::size_t i = 0; i < works.size() && i < layout.Works.size(); ++i) {
    const THungWork& work = works[i];
    const TWorkPlacement& place = layout.Works[i];
    if (work.Size.Model) continue;  // models are packed from their own files
    const double w = work.Size.Width / 2, hh = work.Size.Height / 2, f = place.Frame;
    const std::string id = std::to_string(work.Id);
    // Local +Y into the room, local Z downwards, local X to the right of a visitor facing it.
    const char* rotation = "1 0 0 1.5707963";
    const char* wall = "north";
    switch (place.Wall) {
      case TPictureWall::North: break;
      case TPictureWall::South: rotation = "0 1 -1 3.1415927", wall = "south"; break;
      case TPictureWall::East: rotation = "1 -1 1 2.0943951", wall = "east"; break;
      case TPictureWall::West: rotation = "1 1 -1 2.0943951", wall = "west"; break;
    }
    text += "\n  # " + id + " " + CommentText(work.Title) + " (room " + std::to_string(place.Room + 1) + ", " +
            wall + " wall, " + Num(work.Size.Width * 100) + " x " +
            Num(work.Size.Height * 100) + " cm)\n";
    text += "  Separator {\n    Transform { translation " + Num(place.X) + " " + Num(place.Y) + " " + Num(place.Z) +
            " rotation " + rotation + " }\n";
    text += "    Separator {\n      USE FRAME\n";
    const auto bar = [&](double x, double z, double width, double depth) {
      text += "      Separator { Translation { translation " + Num(x) + " 0.01 " + Num(z) + " } Cube { width " +
              Num(width) + " height 0.05 depth " + Num(depth) + " } }\n";
    };
    bar(0, -(hh + f / 2), 2 * (w + f), f);
    bar(0, hh + f / 2, 2 * (w + f), f);
    bar(-(w + f / 2), 0, f, 2 * hh);
    bar(w + f / 2, 0, f, 2 * hh);
    text += "    }\n    USE CANVAS\n    DEF TEX_" + id + " Texture2 { }\n";
    text += "    Coordinate3 { point [ " + Num(-w) + " 0 " + Num(hh) + ", " + Num(w) + " 0 " + Num(hh) + ", " + Num(w) +
            " 0 " + Num(-hh) + ", " + Num(-w) + " 0 " + Num(-hh);
    if (place.BoxScale > 1) {
      const double bw = w * place.BoxScale, bh = hh * place.BoxScale;
      text += ",\n                          " + Num(-bw) + " 0 " + Num(bh) + ", " + Num(bw) + " 0 " + Num(bh) + ", " +
              Num(bw) + " 0 " + Num(-bh) + ", " + Num(-bw) + " 0 " + Num(-bh);
    }
    text += " ] }\n";
    text += "    TextureCoordinate2 { point [ 0 0, 1 0, 1 1, 0 1 ] }\n";
    text += "    DEF KD_" + id + " IndexedFaceSet {\n      coordIndex [ 0, 1, 2, 3, -1 ]\n"
            "      textureCoordIndex [ 0, 1, 2, 3, -1 ]\n    }\n  }\n";
  }
  text += "}\n";
  return text;
}
