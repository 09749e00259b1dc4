#pragma once

// A 2-D GL texture. PNG textures (the cursor, the font page) live as long as the process: the
// destructor frees the record but leaves the GL texture, which may outlive the context current
// at the time. Every member needs a current GL context.
class Texture {
 public:
  unsigned int name = 0;     // GL texture name; 0 until one is generated
  unsigned int width = 0;    // pixels; 0 for an image that could not be read
  unsigned int height = 0;

  Texture() = default;
  virtual ~Texture() = default;
  Texture(const Texture&) = delete;
  Texture& operator=(const Texture&) = delete;

  virtual void bind();     // to GL_TEXTURE_2D
  virtual void unbind();   // binds 0 to GL_TEXTURE_2D
  // Prints the name of a pending GL error on standard output, as the renderer's own check
  // does; returns the code read.
  unsigned int getTextureError();
};

// The 16-bit float colour texture of the high-dynamic-range frame buffer. It owns its GL
// texture and deletes it with itself.
class TextureFP16 : public Texture {
 public:
  TextureFP16();   // generates the GL name
  ~TextureFP16() override;

  // Replaces the GL texture by a new one, under a new name, of the given size (no data);
  // unbound afterwards.
  void resize(unsigned int newWidth, unsigned int newHeight);
  // Gives the bound name storage of the current size: RGBA16F, nearest filters, clamped.
  void specify();
};

class TextureFactory {
 public:
  static TextureFactory* Instance;   // null until the first instance() call; never destroyed
  static TextureFactory* instance();

  // A new RGBA8 texture of the image (a file path or a ":/" resource path), its top row at
  // t = 0, linear filters, repeated; the caller owns it. An image that cannot be read gives a
  // texture of zero size and one line on the error channel.
  Texture* createFromPNG(const char* path);
  // A new half-float RGBA texture of the given size without data; the caller owns it.
  TextureFP16* createFP16(unsigned int width, unsigned int height);

 private:
  TextureFactory() = default;
};
