#pragma once

#include <string>
#include <vector>

// Hamlib's numbers for the radios every operator can try without one.
inline constexpr int RadioModelNone = 0;
inline constexpr int RadioModelDummy = 1;      // Hamlib's radio inside the program
inline constexpr int RadioModelNetRigctl = 2;  // a rigctld on the network, port "host:port"

// A radio Hamlib can talk to.
struct RadioModel {
    int number = 0;
    std::string maker;
    std::string name;
};

// Every radio of the installed Hamlib, by maker, then model name. Built once.
const std::vector<RadioModel> &RadioModels();

// "Maker Model" of a Hamlib model number, or "radio model N" when Hamlib has none by that number.
std::string RadioModelName(int number);

// Loads Hamlib's radio list and silences its diagnostics; every Hamlib call waits for it.
void PrepareHamlib();
