#pragma once

#include <vector>

#include "math/Quaternion.h"
#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"

class Font;
class FrameBufferObjectFP16;
class GLSLShader;
class Mesh;
class RenderString;
class Texture;

// The 3-D cursor: a square that always faces the viewer, drawn around the current mesh.
struct CursorType {
  // (-h, +h), (+h, +h), (+h, -h), (-h, -h) in x, y for half side h; z 0.
  SSEVector4f corners[4];
  Texture* texture = nullptr;   // owned
  SSEVector4f position{0.0f, 0.0f, 0.0f, 1.0f};   // the current mesh's position when drawn

  void resize(float side);
};

// The drawing path, with the numbers the paths have always had: buffer objects through the ARB
// entry points or the core ones, client vertex arrays (the start-up path), and high dynamic
// range (the half-float frame buffer and the phong program).
enum class RenderMode : int {
  BufferObjectsARB = 0,
  BufferObjects = 1,
  VertexArrays = 2,
  HighDynamicRange = 3,
};

// One directional GL light.
struct LightSource {
  float position[4];
  float diffuse[4];
  float ambient[4];
};

// The renderer singleton. Its state is public fields that the view, the main window, the
// settings dialog and the picking math read and write directly.
//
// The constructor makes no GL call, so the headless code (meshes, buffer objects in path 2,
// picking) may reach the engine without a context. The view's first GL initialisation calls
// initGLResources(), which makes the alpha ramp, the cursor texture, the font with its page and
// the "FPS:" label; until then the members below that would touch GL change state only.
class GraphicsEngine {
 public:
  static GraphicsEngine* Instance;   // null until the first instance() call; never destroyed
  static GraphicsEngine* instance();
  // Deletes the singleton with every mesh, render string, font and stored camera it lists, and
  // clears the pointer; the next instance() makes a fresh one. Needs the view's context current
  // when GL resources were made.
  static void deleteInstance();

  static constexpr float HomeDistanceTolerance = 0.9f;   // the glide home may stop this short
  static constexpr int FpsLabelInset = 75;   // the "FPS:" label starts this far from the right

  unsigned int windowWidth = 640;    // viewport in pixels
  unsigned int windowHeight = 480;
  int mouseX = 0;   // pick point in window pixels, y from the bottom edge
  int mouseY = 0;
  SSEMatrix4x4f projectionMatrix;
  SSEMatrix4x4f auxMatrix;     // identity; the math singleton's unprojection reads it
  SSEMatrix4x4f orthoMatrix;   // 0..windowWidth by 0..windowHeight for overlays
  SSEVector4f eyeRayDirection{0.0f, 0.0f, 0.0f, 1.0f};
  SSEVector4f eyeRayOrigin{0.0f, 0.0f, 0.0f, 1.0f};
  float deltaTime = 0.0f;   // smoothed frame time, seconds
  float ticker = 0.0f;      // [0, 1), advanced by updateTickers
  RenderMode renderMode = RenderMode::VertexArrays;   // the drawing path
  Quaternion globalRotation;            // rotation of the whole scene
  SSEMatrix4x4f globalRotationMatrix;   // kept in step by setRotation
  // The stored cameras, parallel lists; the engine owns every element.
  std::vector<SSEVector4f*> cameraTranslations;
  std::vector<SSEVector4f*> cameraEyePositions;   // eye points in world space: the camera track
  std::vector<Quaternion*> cameraRotations;
  SSEVector4f slerpTargetPosition{0.0f, 0.0f, 0.0f, 1.0f};   // destination of slerpToPosition
  SSEVector4f globalTranslation{0.0f, 0.0f, -10.0f, 1.0f};   // x, y, z; applied after the rotation
  LightSource lights[4];    // GL_LIGHT0 to GL_LIGHT3
  // On screen, in drawing order; the index is the pick name. The view's Scene (view/Scene.h)
  // fills and empties it; the meshes are its molecules' until the scene purges them.
  std::vector<Mesh*> meshes;
  Mesh* currentMesh = nullptr;
  Mesh* previousMesh = nullptr;   // the mesh current before the last change; only compared
  CursorType cursor;
  std::vector<Font*> fonts;   // owned
  Font* font = nullptr;       // the text font, fonts[0]
  std::vector<RenderString*> renderStrings;   // owned; the first is the "FPS:" label
  FrameBufferObjectFP16* hdrFrameBuffer = nullptr;
  GLSLShader* phongShader = nullptr;
  int useSpecLocation = -1;   // uniform locations in the phong program
  int useDiffuseLocation = -1;
  int alphaLocation = -1;
  int exponentLocation = -1;
  int specularityLocation = -1;

  // Display options and animation switches.
  bool showFPS = true;
  bool lighting = true;
  bool meshPickActive = false;        // the Mesh or Piece pick button is on
  bool showCursor = true;
  bool returnToHomeCamera = false;    // run slerpToOriginalCameraPos each frame
  bool cameraSlerpActive = false;     // run slerpCamera each frame
  bool showCameraTrack = false;
  bool showAxes = false;
  bool transparency = false;
  bool positionSlerpActive = false;   // run slerpToPosition each frame
  bool showNuclei = true;             // SpheroidKind::AtomSphere
  bool showAtomicOrbitals = true;     // SpheroidKind::AtomicOrbital
  bool showMolecularOrbitals = true;  // SpheroidKind::BondOrbital
  bool showBondAxes = true;           // SpheroidKind::OpenBondAxis
  bool showAtomIDs = false;
  bool showColorScale = false;
  bool reservedFlags[3] = {false, false, false};   // no reader; the settings dialog keeps two

  int glMajorVersion = 0;   // written by the graphics-driver report
  int glMinorVersion = 0;
  unsigned int polygonState = 7;   // primitive handed to every mesh
  unsigned int alphaRampTexture = 0;   // 256-texel 1-D alpha ramp
  // Display lists of the axes, the floor and the three shadow discs; 0 until made.
  unsigned int axesList = 0;
  unsigned int floorList = 0;
  unsigned int shadowLists[3] = {0, 0, 0};
  // The frame-rate number, refreshed about once a second by renderHUD; empty until then.
  char fpsText[32] = "";

  // The GL resources, once, with the view's context current: alpha ramp, cursor texture from
  // "Resources/cursor.png", the font "Resources/font.fnt" and the "FPS:" label (all relative to
  // the working directory). A file that cannot be read is named on the error channel.
  void initGLResources();

  void setRotation(const Quaternion& q);
  Mesh* getMesh(int i) const;   // null outside 0..meshes.size()-1
  // Makes m current (null allowed); a change away from a mesh clears its selected spheroid.
  void setCurrentMesh(Mesh* m);
  // Deletes m and takes it off the list; it stops being the current (and previous) mesh. Its
  // molecule, if it still has one, lets go of the spheroids the mesh owned and of the mesh.
  // The program never calls it (the scene takes meshes off); the destructor does, for each.
  void removeMesh(Mesh* m);
  // Sets the cursor square's side, centred on the cursor position.
  void resizeCursor(float side);
  // The half-float frame buffer at the given size and the phong program from the embedded
  // "phong.vs" and "phong.fs", with "Alpha" 0.85, "Exponent" 64 and "Specularity" 0.95; no
  // program is in use afterwards. A shader that cannot be read ends the process (status 1).
  void initHDR(int width, int height);
  // Stores the size (at least 1 by 1), sets the viewport and both projections, resizes the
  // half-float frame buffer in path 3, and moves the "FPS:" label to the top right.
  void resizeWindow(int width, int height);
  void rebuildRenderStrings();
  // Rebuilds the on-screen strings (after the window changed).
  void rebuildGUI();
  // The engine takes s and draws it with the HUD; null adds nothing.
  void addRenderString(RenderString* s);
  // Takes s off the list and deletes it; a string the engine does not list is left alone.
  void removeRenderString(RenderString* s);
  // The engine takes f; the first font added becomes the text font when there is none.
  void addFont(Font* f);
  // Takes f off the list and deletes it; a font the engine does not list is left alone. The
  // text font and the strings drawn with f move to the first font left (none when the list is
  // empty: they then draw nothing) and are rebuilt.
  void removeFont(Font* f);
  void setDeltaTime(float seconds) { deltaTime = seconds; }
  void updateTickers();
  void setPolygonState(unsigned int state);
  void nullAllSelectedSpheroids();
  void clearActivePointsFromCurrentMesh();

  // The box around all meshes: each mesh contributes position +- max(1, size / 2).
  struct BoundingVolume {
    SSEVector4f min{0.0f, 0.0f, 0.0f, 1.0f};
    SSEVector4f max{0.0f, 0.0f, 0.0f, 1.0f};
  };
  BoundingVolume computeAllMeshesBoundingVolume() const;

  // Takes both (the engine owns them from now on) and records the camera's eye point. Null
  // arguments store nothing.
  void storeCamera(SSEVector4f* translation, Quaternion* rotation);
  void eraseAllCameras();

  // One step of a camera glide each; 1 while it runs, 0 on the step that ends it (which also
  // clears its flag). The glide's time parameter advances by deltaTime, so a glide lasts at
  // most one second of frames.
  int slerpCamera(int from, int to);
  int slerpToPosition();
  int slerpToOriginalCameraPos();

  // Projections: the perspective one (70 degrees across, near 0.1, far 10000) and the overlay
  // one into the matrices, and, once GL resources exist, the perspective one onto the GL stack.
  void setPerspectiveProjection();
  // Around 2-D overlays: push both matrices and load the overlay projection; pop them again.
  void setOrthoProjection();
  void restorePerspectiveProjection();

  // Draws text with the engine's font, the pen at x and the line's top at y, in the current
  // projection; the caller enables texturing and blending.
  void renderText(const char* text, int x, int y);

  // Frame passes (GraphicsEnginePasses.cpp), called by the view's paint. Clears colour and
  // depth and turns depth testing on.
  void openPipeline();
  // Lights 0 to 3 with their vectors; off again turns off light 0 and lighting.
  void turnOnLights();
  void turnOffLights();
  // The meshes in path 1 (buffer objects) or 2 (client arrays) under pick name 0; nothing in
  // the other paths.
  void renderMeshes_LDR();
  // One mesh pass each: every mesh at its pose, the kinds whose display flags are set (or the
  // whole mesh while it is twisted), its active points. Blending, the 1-D texture and the
  // client arrays are off afterwards.
  void renderMeshes_VA();
  void renderMeshes_VBO();
  // As the buffer-object pass, with the phong program (or program 0) chosen by the caller.
  void renderMeshes_HDR();
  // The square around the current mesh, facing the viewer; leaves depth testing and culling on
  // and blending off whether or not it drew.
  void renderCursor();
  // The stored cameras' eye points and the loop through them.
  void renderCameraPositions();
  // The "FPS:" label and the frame rate at the top right; nothing without a font.
  void renderHUD();
  // The window covered by one quad of the bound texture (the HDR frame's last step).
  void renderFullscreenQuad();
  void renderAxes();
  // Prints the name of a pending GL error on standard output; returns the code read.
  unsigned int getGLError();
  void flushPipeline();
  // Scenery nothing draws at present (GraphicsEngineScenery.cpp): the axes list, a floor with
  // its grid, and shadow discs with drop lines under the meshes.
  void createAxes();
  void createFloor();
  void renderFloor();
  void createShadows();
  void renderMeshShadows();
  void renderMeshShadows_HDR();

 private:
  GraphicsEngine();
  ~GraphicsEngine();
  // Hands the math singleton pointers to the matrices, camera, window, pick point and eye ray.
  void connectMathEngine();

  // The state one camera glide keeps between its steps.
  struct CameraGlide {
    float t = 0.0f;
    SSEVector4f startTranslation;
    Quaternion startRotation;
  };
  struct GlideStep {
    float distance;         // what is left of the translation
    bool rotationSettled;   // w within 1e-5 of the target's, or at +-1
  };
  GlideStep advanceGlide(CameraGlide& glide, const SSEVector4f& startTranslation,
                         const Quaternion& startRotation, const SSEVector4f& targetTranslation,
                         const Quaternion& targetRotation);
  int endGlide(CameraGlide& glide, bool& flag);
  SSEVector4f eyePointOf(const SSEVector4f& translation, const Quaternion& rotation) const;
  void makeAlphaRamp();
  // The camera: translate by globalTranslation, then the global rotation.
  void applyCamera() const;
  void drawMeshWithKinds(Mesh* mesh, bool bufferObjects);
  void renderMeshesFixed(bool bufferObjects);

  CameraGlide cameraGlide;
  CameraGlide positionGlide;
  CameraGlide homeGlide;
  bool glResourcesMade = false;
};
