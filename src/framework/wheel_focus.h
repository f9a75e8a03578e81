#pragma once

// Drop-down lists, sliders and spin boxes follow the mouse wheel only while they have the
// keyboard focus, as native ones do: a wheel turned over one that is not focused changes
// nothing and goes on to what lies beneath (a scrolled area scrolls). One filter on the
// application does it for every window. It is installed with the application, and again by
// every framework window when it is made, so that windows built without main() have it too.
void requireFocusForWheel();
