#include "launcher/launcher.hpp"

int main(int argc, char** argv) {
  return zerudud::run(argc, argv);
}
