#pragma once
// Frame styles and frame colour schemes shared by the framed controls (the scale and the
// numeric display label).

// How an opaque control outlines its rectangle: nothing, a one-pixel dark outline, or two
// one-pixel rings in shades that make it look sunk, raised, embossed or engraved.
enum TFrameStyle { fsNone, fsSimple, fsLowered, fsRaised, fsEmbossed, fsEngraved };

// Where the shadow and highlight colours of a 3-D frame come from: fixed gray and white
// (csBWG) or the platform's button shadow and highlight colours (csSystem).
enum TColorScheme { csBWG, csSystem };
