#include "qt/RunApplication.h"

int main(int argc, char* argv[]) {
    return morvelin::RunApplication(argc, argv);
}
