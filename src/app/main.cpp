#include "app/Pavo.h"

int main(int argc, char** argv) {
    return pavo::RunPavo(argc, argv);
}
