#pragma once

class TextureFP16;

// A render target the frame can be drawn into instead of the window.
class FrameBufferObject {
 public:
  FrameBufferObject() = default;
  virtual ~FrameBufferObject() = default;
  FrameBufferObject(const FrameBufferObject&) = delete;
  FrameBufferObject& operator=(const FrameBufferObject&) = delete;

  // Makes the target current for drawing, or the window again; true when the bound frame
  // buffer is complete. The base draws into the window and does nothing.
  virtual bool attach() { return true; }
  virtual bool detach() { return true; }
};

// The high-dynamic-range target: a half-float RGBA colour texture (values above 1 are kept)
// and a depth renderbuffer. Every member needs the view's context.
class FrameBufferObjectFP16 : public FrameBufferObject {
 public:
  unsigned int framebuffer = 0;         // GL names
  unsigned int depthRenderbuffer = 0;
  TextureFP16* colorTexture = nullptr;  // owned

  FrameBufferObjectFP16(int width, int height);
  ~FrameBufferObjectFP16() override;

  // Rebuilds the frame buffer, the renderbuffer and the colour texture at the new size. The
  // new objects are made before the old ones are freed, so every GL name changes, even at the
  // same size.
  void resize(unsigned int width, unsigned int height);
  bool attach() override;
  bool detach() override;
  // True when the bound frame buffer is complete; otherwise false after one line on standard
  // output for the known incomplete states.
  bool checkStatus();

 private:
  // Makes a frame buffer and a renderbuffer of the colour texture's size around it.
  void build();
};
