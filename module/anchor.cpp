int pw_module_anchor = 0;
