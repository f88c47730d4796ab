#pragma once

class QImage;
class QWindow;

// The picture the X server itself draws in a window the moment it is mapped (its background
// pixmap). A window given its finished picture before it is mapped is never seen blank or
// half-drawn, however late the program paints it. Elsewhere, and where the server's pixel
// layout is not the plain 32-bit one, nothing is set and the program paints as usual.
namespace NativePicture {

// True on an X11 display whose picture can be set.
bool available();
// Sets `picture` (the window's size, 32-bit RGB) as the window's background; false when it
// could not be set.
bool setBackground(const QWindow& window, const QImage& picture);
// Lets the server drop the picture of a window that has gone from the screen.
void clearBackground(const QWindow& window);

} // namespace NativePicture
