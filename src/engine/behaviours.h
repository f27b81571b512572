// The procedures of the saver form that place, draw and move the sprites. Each draws its kind
// into the back buffer and advances it one frame; each reports its own run-time errors.
#pragma once

namespace wumpets {

struct SaverForm;

void check4positions(SaverForm& f);
void check4collision(SaverForm& f, int i);

void update_wumpets(SaverForm& f);
void update_conga(SaverForm& f);
void update_redrose(SaverForm& f);
void update_pinkrose(SaverForm& f);
void update_whiterose(SaverForm& f);
void update_yellowrose(SaverForm& f);
void update_lavalamp(SaverForm& f);
void update_peace(SaverForm& f);
void update_discoball(SaverForm& f);
void update_hippie(SaverForm& f);
void update_notes1(SaverForm& f);
void update_notes2(SaverForm& f);

// Music: opens the chosen songs and plays the first (end of Form_Initialize).
void start_music(SaverForm& f);

}  // namespace wumpets
