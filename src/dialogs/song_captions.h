// Captions of the six song boxes of the settings dialog, in the order of the song files
// d_0.Mid .. d_5.Mid. The first three are the default play list.
#pragma once

namespace wumpets {

inline constexpr const char* kSongCaptions[6] = {
    "Can-Can Go-Go",    // Offenbach's galop as a go-go dance
    "Conga Cucaracha",  // La Cucaracha on a conga beat
    "Lava Lamp Trip",   // Greensleeves, psychedelic
    "Elise Lounge",     // Fur Elise as a bossa nova
    "Ode to Groove",    // Beethoven's joy theme as a soul stomp
    "Wumpet Boogaloo",  // our own twelve-bar boogaloo
};

}  // namespace wumpets
