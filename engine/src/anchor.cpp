int kel_anchor = 0;
