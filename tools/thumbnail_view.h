// How a thumbnail (kestrune-batch --thumbnail) shows its model: a small
// picture among others in a file manager must be recognised at a glance, so
// it is not the window's starting view (straight at one face, the model small,
// on a grey close to its own).
#pragma once

// Once the drawing area's GL context exists and the display is chosen (the
// model and its image loaded). In the perspective view: a three-quarter view
// from above, the camera as far as the model's bounding sphere asks, the
// picture framed on the model's outline. In any view: the model lit from
// above on the viewer's side, on a background it stands out from (dark
// behind a light model, light behind a dark one).
void useThumbnailView();
